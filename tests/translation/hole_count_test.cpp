// The hole count read from the DEVMODE's GPD selections.
#include "translation_fixture.h"

#include <optional>

namespace translationtest {
namespace {

const std::string kFirstOption = "//psf:Feature[@name='psk:JobHolePunch']/psf:Option[1]";
const std::string kHoleCountValues = kFirstOption + "/psf:ScoredProperty[@name='psk:HoleCount']/psf:Value";

class HoleCountTest : public TranslationTest {
protected:
    bool RunHoleCount(IXMLDOMDocument2* ticket) {
        qp::SchemaDocument wrapper(ticket, helper_.get());
        EXPECT_EQ(wrapper.GetStatus(), S_OK);
        return provider_->HoleCountToPublic(wrapper, helper_.get(), sizeof devmode_, &devmode_);
    }
    // Both features are asked for, in order, about the DEVMODE that was handed over.
    void ExpectBothQueries() {
        const auto calls = helper_->OptionCalls();
        ASSERT_EQ(calls.size(), 2u);
        EXPECT_EQ(calls[0].feature, "PunchHole");
        EXPECT_EQ(calls[1].feature, "Punch");
        for (const auto& call : calls) {
            EXPECT_EQ(call.devmode, &devmode_);
            EXPECT_EQ(call.size, sizeof devmode_);
        }
    }

    DEVMODEW devmode_{};
};

TEST_F(HoleCountTest, TheCountFollowsPunchHoleUnlessPunchIsExactlyNONE) {
    struct Case {
        std::optional<std::string> punchHole;
        std::optional<std::string> punch;
        const char* count;
    };
    const Case cases[] = {
        {"None", std::nullopt, "0"},
        {"2Holes", std::nullopt, "2"},
        {"3Holes", std::nullopt, "3"},
        {"4Holes", std::nullopt, "4"},
        {"3Holes", "NONE", "0"},
        {"3Holes", "None", "3"},
        {"3Holes", "AUTO", "3"},
        {"2holes", std::nullopt, "0"},
        {"2Holes ", std::nullopt, "0"},
        {"4Holes5", std::nullopt, "0"},
        {"", std::nullopt, "0"},
        {std::nullopt, std::nullopt, "0"},
        {std::nullopt, "AUTO", "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.punchHole.value_or("(no selection)") + " / " + c.punch.value_or("(no selection)"));
        helper_ = CoreHelperStub::Create();
        if (c.punchHole) helper_->SetOption("PunchHole", *c.punchHole);
        if (c.punch) helper_->SetOption("Punch", *c.punch);
        auto ticket = Load(Document(Feature("psk:JobHolePunch", Option("ns0000:AUTO"))));
        ASSERT_TRUE(ticket);
        EXPECT_TRUE(RunHoleCount(ticket.get()));
        ExpectBothQueries();

        qptest::XmlDoc out(Text(ticket.get()));
        EXPECT_EQ(out.Texts(kHoleCountValues), std::vector<std::string>{c.count});
        EXPECT_EQ(out.Text(kHoleCountValues + "/@xsi:type"), "xsd:integer");
    }
}

// Only S_OK counts: a query that answers anything else gives its default, even when it sets the
// out pointer.
TEST_F(HoleCountTest, QueriesThatDoNotAnswerSOkAreIgnored) {
    struct Case {
        const char* feature;
        HRESULT result;
        const char* count;
    };
    for (const Case& c : {Case{"PunchHole", S_FALSE, "0"}, Case{"PunchHole", E_INVALIDARG, "0"},
                          Case{"Punch", S_FALSE, "4"}, Case{"Punch", E_FAIL, "4"}}) {
        SCOPED_TRACE(std::string(c.feature) + " forced");
        helper_ = CoreHelperStub::Create();
        helper_->SetOption("PunchHole", "4Holes");
        helper_->SetOption("Punch", "NONE");
        helper_->ForceOptionResult(c.feature, c.result);
        auto ticket = Load(Document(Feature("psk:JobHolePunch", Option("ns0000:AUTO"))));
        ASSERT_TRUE(ticket);
        EXPECT_TRUE(RunHoleCount(ticket.get()));
        EXPECT_EQ(qptest::XmlDoc(Text(ticket.get())).Text(kHoleCountValues), c.count);
    }
}

TEST_F(HoleCountTest, AnExistingHoleCountGetsASecondValueAfterTheFirst) {
    helper_->SetOption("PunchHole", "2Holes");
    auto ticket = Load(Document(
        Feature("psk:JobHolePunch", Option("ns0000:AUTO", ScoredProperty("psk:HoleCount", "7", "xsd:integer")))));
    ASSERT_TRUE(ticket);
    EXPECT_TRUE(RunHoleCount(ticket.get()));

    qptest::XmlDoc out(Text(ticket.get()));
    EXPECT_EQ(out.Count(kFirstOption + "/psf:ScoredProperty"), 1);
    EXPECT_EQ(out.Texts(kHoleCountValues), (std::vector<std::string>{"7", "2"}));
}

TEST_F(HoleCountTest, OnlyTheFirstOptionReceivesTheCount) {
    helper_->SetOption("PunchHole", "3Holes");
    auto ticket = Load(Document(Feature("psk:JobHolePunch", Option("ns0000:AUTO") + Option("ns0000:NONE"))));
    ASSERT_TRUE(ticket);
    EXPECT_TRUE(RunHoleCount(ticket.get()));

    qptest::XmlDoc out(Text(ticket.get()));
    EXPECT_EQ(out.Count("//psf:ScoredProperty[@name='psk:HoleCount']"), 1);
    EXPECT_EQ(out.Text(kHoleCountValues), "3");
}

TEST_F(HoleCountTest, WithoutHolePunchOrItsOptionTheTicketIsUnchangedAfterBothQueries) {
    for (const std::string& body : {Feature("psk:JobOutputBin", Option("ns0000:Center")),
                                    Feature("psk:JobHolePunch")}) {
        SCOPED_TRACE(body);
        helper_ = CoreHelperStub::Create();
        helper_->SetOption("PunchHole", "3Holes");
        auto ticket = Load(Document(body));
        ASSERT_TRUE(ticket);
        const std::string before = Text(ticket.get());
        EXPECT_FALSE(RunHoleCount(ticket.get()));
        ExpectBothQueries();
        EXPECT_EQ(Text(ticket.get()), before);
    }
}

}  // namespace
}  // namespace translationtest
