// The presentation-direction feature moved under the N-up feature and back.
#include "translation_fixture.h"

namespace translationtest {
namespace {

using Provider = qp::PrintTicketProvider;

const std::string kNUp = "/psf:PrintTicket/psf:Feature[@name='psk:JobNUpAllDocumentsContiguously']";
const std::string kNUpFeature =
    Feature("psk:JobNUpAllDocumentsContiguously",
            "<psf:Option>" + ScoredProperty("psk:PagesPerSheet", "2", "xsd:integer") + "</psf:Option>");
const std::string kDirectionChildren = Option("ns0000:RightBottom") + Option("ns0000:BottomRight") +
                                       "<psf:Property name=\"psk:DisplayName\"><psf:Value xsi:type=\"xsd:string\">"
                                       "Page Order</psf:Value></psf:Property>" +
                                       Option("ns0000:LeftBottom");
const std::vector<std::string> kDirectionOptions = {"ns0000:RightBottom", "ns0000:BottomRight", "ns0000:LeftBottom"};

class PresentationDirectionTest : public TranslationTest {};

TEST_F(PresentationDirectionTest, ToPublicMovesTheFeatureUnderNUpAsItsLastChildWithItsChildrenInOrder) {
    auto ticket = Load(Document(Feature("psk:JobCollateAllDocuments", Option("psk:Collated")) +
                                Feature("ns0000:JobPresentationDirection", kDirectionChildren) + kNUpFeature +
                                Feature("psk:PageOrientation", Option("psk:Portrait"))));
    ASSERT_TRUE(ticket);
    EXPECT_TRUE(RunPass(&Provider::PresentationDirectionToPublic, ticket.get()));

    qptest::XmlDoc out(Text(ticket.get()));
    EXPECT_EQ(out.Count("//psf:Feature[@name='ns0000:JobPresentationDirection']"), 0);
    EXPECT_EQ(out.Count("/psf:PrintTicket/psf:Feature"), 3);
    EXPECT_EQ(out.Text(kNUp + "/*[last()]/@name"), "psk:PresentationDirection");
    EXPECT_EQ(out.Texts(kNUp + "/psf:Feature/psf:Option/@name"), kDirectionOptions);
    EXPECT_EQ(out.Count(kNUp + "/psf:Feature/psf:Property[@name='psk:DisplayName']"), 1);
    EXPECT_EQ(out.Text(kNUp + "/*[1]/psf:ScoredProperty/psf:Value"), "2") << "the N-up's own option stays first";
    EXPECT_EQ(out.Text("/psf:PrintTicket/psf:Feature[last()]/@name"), "psk:PageOrientation");
}

TEST_F(PresentationDirectionTest, ToPrivateAfterToPublicPutsTheFeatureBackAsTheRootsLastChild) {
    auto ticket = Load(Document(Feature("ns0000:JobPresentationDirection", kDirectionChildren) + kNUpFeature +
                                Feature("psk:PageOrientation", Option("psk:Portrait"))));
    ASSERT_TRUE(ticket);
    ASSERT_TRUE(RunPass(&Provider::PresentationDirectionToPublic, ticket.get()));
    EXPECT_TRUE(RunPass(&Provider::PresentationDirectionToPrivate, ticket.get()));

    qptest::XmlDoc out(Text(ticket.get()));
    EXPECT_EQ(out.Text("/psf:PrintTicket/*[last()]/@name"), "ns0000:JobPresentationDirection");
    EXPECT_EQ(out.Texts("/psf:PrintTicket/psf:Feature[last()]/psf:Option/@name"), kDirectionOptions);
    EXPECT_EQ(out.Count(kNUp + "/psf:Feature"), 0);
    EXPECT_EQ(out.Count("//psf:Feature[@name='psk:PresentationDirection']"), 0);
}

TEST_F(PresentationDirectionTest, NamesAreWrittenWithTheDocumentsOwnPrefixes) {
    auto ticket = Load(Document(Feature("qv:JobPresentationDirection", Option("qv:RightBottom")) + kNUpFeature,
                                RootDeclarations("qv")));
    ASSERT_TRUE(ticket);
    EXPECT_TRUE(RunPass(&Provider::PresentationDirectionToPublic, ticket.get()));
    EXPECT_TRUE(RunPass(&Provider::PresentationDirectionToPrivate, ticket.get()));

    qptest::XmlDoc out(Text(ticket.get()));
    EXPECT_EQ(out.Text("/psf:PrintTicket/*[last()]/@name"), "qv:JobPresentationDirection");
}

TEST_F(PresentationDirectionTest, APrivateFeatureNestedInAnotherFeatureIsFoundAndMoved) {
    auto ticket = Load(Document(
        Feature("psk:PageMediaSize", Feature("ns0000:JobPresentationDirection", kDirectionChildren)) + kNUpFeature));
    ASSERT_TRUE(ticket);
    EXPECT_TRUE(RunPass(&Provider::PresentationDirectionToPublic, ticket.get()));

    qptest::XmlDoc out(Text(ticket.get()));
    EXPECT_EQ(out.Count("//psf:Feature[@name='psk:PageMediaSize']/psf:Feature"), 0);
    EXPECT_EQ(out.Texts(kNUp + "/psf:Feature[@name='psk:PresentationDirection']/psf:Option/@name"),
              kDirectionOptions);
}

// Each failing step of either pass, with what the document holds afterwards.
TEST_F(PresentationDirectionTest, ToPublicFailuresLeaveTheDocumentAsEachStepLeftIt) {
    struct Case {
        const char* what;
        std::string document;
        bool renamedInPlace;  // otherwise unchanged
    };
    const Case cases[] = {
        {"no private feature", Document(kNUpFeature), false},
        {"rename: psk is not bound at the root",
         Document(Feature("ns0000:JobPresentationDirection", Option("ns0000:RightBottom")) +
                      "<psf:Feature xmlns:psk=\"" + std::string(kPskUri) +
                      "\" name=\"psk:JobNUpAllDocumentsContiguously\"/>",
                  RootDeclarations("ns0000", "psk")),
         false},
        {"no N-up feature", Document(Feature("ns0000:JobPresentationDirection", Option("ns0000:RightBottom"))),
         true},
        {"append: the N-up feature lies inside the moved feature",
         Document(Feature("ns0000:JobPresentationDirection", Option("ns0000:RightBottom") + kNUpFeature)), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto ticket = Load(c.document);
        ASSERT_TRUE(ticket);
        const std::string before = Text(ticket.get());
        EXPECT_FALSE(RunPass(&Provider::PresentationDirectionToPublic, ticket.get()));

        const std::string after = Text(ticket.get());
        if (!c.renamedInPlace) {
            EXPECT_EQ(after, before);
            continue;
        }
        qptest::XmlDoc out(after);
        EXPECT_EQ(out.Count("//psf:Feature[@name='ns0000:JobPresentationDirection']"), 0);
        EXPECT_EQ(out.Text("/psf:PrintTicket/psf:Feature[1]/@name"), "psk:PresentationDirection");
        EXPECT_EQ(out.Text("/psf:PrintTicket/psf:Feature[1]/psf:Option/@name"), "ns0000:RightBottom");
    }
}

TEST_F(PresentationDirectionTest, ToPrivateFailuresLeaveTheDocumentUnchanged) {
    const std::string subFeature = Feature("psk:PresentationDirection", Option("ns0000:RightBottom"));
    struct Case {
        const char* what;
        std::string document;
    };
    const Case cases[] = {
        {"no N-up feature", Document(subFeature)},
        {"the public feature is not below the N-up feature", Document(subFeature + kNUpFeature)},
        {"rename: the driver's namespace is not bound at the root",
         Document(Feature("psk:JobNUpAllDocumentsContiguously", subFeature), RootDeclarations("ns0000", "ns0000"))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ExpectUnchanged(&Provider::PresentationDirectionToPrivate, c.document);
    }
}

}  // namespace
}  // namespace translationtest
