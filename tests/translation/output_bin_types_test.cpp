// The public bin types of the driver's Center and Finisher bins, and the way back.
#include "translation_fixture.h"

namespace translationtest {
namespace {

using Provider = qp::PrintTicketProvider;

const std::string kBin = "//psf:Feature[@name='psk:JobOutputBin']";
const std::string kDisplayName =
    "<psf:Property name=\"psk:DisplayName\"><psf:Value xsi:type=\"xsd:string\">Bin</psf:Value></psf:Property>";

std::string OutputBin(const std::string& options) {
    return Document(Feature("psk:JobOutputBin", options), RootDeclarations(),
                    "psf:PrintCapabilities");
}

class OutputBinTypesTest : public TranslationTest {};

TEST_F(OutputBinTypesTest, ToPublicAnnotatesCenterAndFinisherOnlyAndAddsAgainOnASecondRun) {
    auto capabilities = Load(OutputBin(Option("ns0000:Upper", kDisplayName) + Option("ns0000:Center", kDisplayName) +
                                       Option("ns0000:Finisher", kDisplayName) + Option("ns0000:FaceUp")));
    ASSERT_TRUE(capabilities);
    EXPECT_TRUE(RunPass(&Provider::OutputBinTypesToPublic, capabilities.get()));
    {
        qptest::XmlDoc out(Text(capabilities.get()));
        const std::string center = kBin + "/psf:Option[@name='ns0000:Center']";
        EXPECT_EQ(out.Text(center + "/*[last()]/@name"), "psk:BinType");
        EXPECT_EQ(out.Text(center + "/psf:ScoredProperty/psf:Value"), "ns0000:Tray");
        EXPECT_EQ(out.Text(center + "/psf:ScoredProperty/psf:Value/@xsi:type"), "xsd:QName");
        const std::string finisher = kBin + "/psf:Option[@name='ns0000:Finisher']";
        EXPECT_EQ(out.Text(finisher + "/*[last()]/@name"), "psk:BinType");
        EXPECT_EQ(out.Text(finisher + "/psf:ScoredProperty/psf:Value"), "psk:Stacker");
        EXPECT_EQ(out.Count(kBin + "/psf:Option[@name='ns0000:Upper' or @name='ns0000:FaceUp']/*"), 1)
            << "only Upper's display name";
    }
    EXPECT_TRUE(RunPass(&Provider::OutputBinTypesToPublic, capabilities.get()));
    qptest::XmlDoc out(Text(capabilities.get()));
    EXPECT_EQ(out.Count(kBin + "/psf:Option[@name='ns0000:Center']/psf:ScoredProperty[@name='psk:BinType']"), 2);
    EXPECT_EQ(out.Count(kBin + "/psf:Option[@name='ns0000:Finisher']/psf:ScoredProperty[@name='psk:BinType']"), 2);
}

TEST_F(OutputBinTypesTest, ToPublicWithoutTheDriverBinsChangesNothingAndSucceeds) {
    ExpectUnchanged(&Provider::OutputBinTypesToPublic, OutputBin(Option("ns0000:Upper") + Option("psk:Center")), true);
}

TEST_F(OutputBinTypesTest, BothPassesFailWithoutJobOutputBinAndChangeNothing) {
    const std::string ticket = Document(Feature("psk:JobInputBin", Option("ns0000:Center")));
    ExpectUnchanged(&Provider::OutputBinTypesToPublic, ticket);
    ExpectUnchanged(&Provider::OutputBinTypeToPrivate, ticket);
}

TEST_F(OutputBinTypesTest, ToPrivateNamesTheFirstOptionAfterItsBinTypeAndDropsTheBinType) {
    struct Case {
        std::string binType;
        std::string option;
    };
    for (const Case& c : {Case{"psk:Stacker", "ns0000:Finisher"}, Case{"ns0000:Tray", "ns0000:Center"}}) {
        SCOPED_TRACE(c.binType);
        auto ticket = Load(Document(Feature(
            "psk:JobOutputBin", Option("psk:Stacker", kDisplayName + ScoredProperty("psk:BinType", c.binType) +
                                                          ScoredProperty("psk:Other", "x", "xsd:string")))));
        ASSERT_TRUE(ticket);
        EXPECT_TRUE(RunPass(&Provider::OutputBinTypeToPrivate, ticket.get()));

        qptest::XmlDoc out(Text(ticket.get()));
        EXPECT_EQ(out.Text(kBin + "/psf:Option/@name"), c.option);
        EXPECT_EQ(out.Count(kBin + "//psf:ScoredProperty[@name='psk:BinType']"), 0);
        EXPECT_EQ(out.Count(kBin + "/psf:Option/*"), 2) << "its other children stay";
    }
}

TEST_F(OutputBinTypesTest, ToPrivateGivesANamelessFirstOptionANameAttribute) {
    auto ticket = Load(Document(
        Feature("psk:JobOutputBin", "<psf:Option>" + ScoredProperty("psk:BinType", "psk:Stacker") + "</psf:Option>")));
    ASSERT_TRUE(ticket);
    EXPECT_TRUE(RunPass(&Provider::OutputBinTypeToPrivate, ticket.get()));

    qptest::XmlDoc out(Text(ticket.get()));
    EXPECT_EQ(out.Text(kBin + "/psf:Option/@name"), "ns0000:Finisher");
    EXPECT_EQ(out.Count(kBin + "/psf:Option/*"), 0);
}

// The text is matched exactly as the document writes it, on the first option only.
TEST_F(OutputBinTypesTest, ToPrivateLeavesTicketsWithoutAnExactMatchOnTheFirstOptionUnchanged) {
    struct Case {
        const char* what;
        std::string options;
    };
    const Case cases[] = {
        {"letter case", Option("ns0000:Center", ScoredProperty("psk:BinType", "psk:stacker"))},
        {"letter case of the prefix", Option("ns0000:Center", ScoredProperty("psk:BinType", "NS0000:Tray"))},
        {"another prefix for the same namespace",
         "<psf:Option xmlns:qv=\"" + std::string(qptest::kPrivateNamespaceUtf8) + "\" name=\"ns0000:Upper\">" +
             ScoredProperty("psk:BinType", "qv:Tray") + "</psf:Option>"},
        {"surrounding blanks", Option("ns0000:Center", ScoredProperty("psk:BinType", " psk:Stacker"))},
        {"no value", Option("ns0000:Center", "<psf:ScoredProperty name=\"psk:BinType\"/>")},
        {"no bin type", Option("ns0000:Center", kDisplayName)},
        {"a match on the second option only",
         Option("ns0000:Upper") + Option("ns0000:Center", ScoredProperty("psk:BinType", "psk:Stacker"))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ExpectUnchanged(&Provider::OutputBinTypeToPrivate, Document(Feature("psk:JobOutputBin", c.options)));
    }
}

// The bin type is read into 256 characters, terminator included: a 255-character QName (the
// driver's namespace under a 250-character prefix) matches; one character more is refused.
TEST_F(OutputBinTypesTest, ToPrivateComparesBinTypesUpTo255Characters) {
    auto ticketWithPrefix = [](const std::string& prefix) {
        return Document(
            Feature("psk:JobOutputBin", Option("psk:Stacker", ScoredProperty("psk:BinType", prefix + ":Tray"))),
            RootDeclarations(prefix));
    };
    const std::string prefix(250, 'p');
    auto ticket = Load(ticketWithPrefix(prefix));
    ASSERT_TRUE(ticket);
    EXPECT_TRUE(RunPass(&Provider::OutputBinTypeToPrivate, ticket.get()));
    EXPECT_EQ(qptest::XmlDoc(Text(ticket.get())).Text(kBin + "/psf:Option/@name"), prefix + ":Center");

    ExpectUnchanged(&Provider::OutputBinTypeToPrivate, ticketWithPrefix(prefix + "p"));
}

TEST_F(OutputBinTypesTest, ToPrivateWithABinTypeBelowADirectChildRenamesButCannotRemoveIt) {
    auto ticket = Load(Document(Feature(
        "psk:JobOutputBin",
        Option("ns0000:Upper", "<psf:Property name=\"psk:Wrapper\">" + ScoredProperty("psk:BinType", "psk:Stacker") +
                                   "</psf:Property>"))));
    ASSERT_TRUE(ticket);
    EXPECT_FALSE(RunPass(&Provider::OutputBinTypeToPrivate, ticket.get()));

    qptest::XmlDoc out(Text(ticket.get()));
    EXPECT_EQ(out.Text(kBin + "/psf:Option/@name"), "ns0000:Finisher");
    EXPECT_EQ(out.Count(kBin + "/psf:Option/psf:Property/psf:ScoredProperty[@name='psk:BinType']"), 1);
}

TEST_F(OutputBinTypesTest, ToPrivateFailsUnchangedWhenTheDriversNamespaceIsNotBoundAtTheRoot) {
    const std::string bin = Feature("psk:JobOutputBin", Option("psk:Any", ScoredProperty("psk:BinType", "psk:Stacker")));
    ExpectUnchanged(&Provider::OutputBinTypeToPrivate, Document(bin, RootDeclarations("ns0000", "ns0000")));
}

}  // namespace
}  // namespace translationtest
