// pthost document: the documents built from the sample GPD are the examples the repository
// ships, they go through the plug-in, and the command's selections and errors.
#include "pthost_runner.h"

#include "support/ledger_check.h"
#include "support/xml_assert.h"

namespace pthosttest {
namespace {

const std::string kRootGpd = ExamplePath("driver/qpqpex.gpd");

class DocumentCommandTest : public LedgerTest {};

// Standard error without the GPD reader's warnings.
std::string Errors(const std::string& err) {
    std::string kept;
    for (size_t start = 0, end = 0; start < err.size(); start = end + 1) {
        end = std::min(err.find('\n', start), err.size());
        if (err.compare(start, 17, "pthost: warning: ") != 0) kept += err.substr(start, end + 1 - start);
    }
    return kept;
}

TEST_F(DocumentCommandTest, TheExamplesAreWhatItBuildsFromTheSampleGpd) {
    for (const char* kind : {"capabilities", "ticket"}) {
        const Outcome run = Pthost({"--gpd", kRootGpd, "document", kind});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(Errors(run.err), "");
        const std::string example = std::string(kind) == "ticket" ? "printticket.xml" : "printcapabilities.xml";
        EXPECT_EQ(run.out, ReadFile(ExamplePath("driver/" + example)))
            << "rebuild with: pthost --gpd examples/driver/qpqpex.gpd document " << kind << " -o examples/driver/"
            << example;
    }
}

TEST_F(DocumentCommandTest, TheBuiltDocumentsGoThroughThePlugin) {
    const Outcome ticket = Pthost({"--gpd", kRootGpd, "to-ticket", ExamplePath("driver/printticket.xml")});
    EXPECT_EQ(ticket.status, 0) << ticket.err;
    const qptest::XmlDoc moved(ticket.out);
    EXPECT_EQ(moved.Count("/psf:PrintTicket/psf:Feature[@name='psk:JobNUpAllDocumentsContiguously']"
                          "/psf:Feature[@name='psk:PresentationDirection']/psf:Option[@name='ns0000:RightBottom']"), 1);
    const Outcome capabilities =
        Pthost({"--gpd", kRootGpd, "capabilities", ExamplePath("driver/printcapabilities.xml")});
    EXPECT_EQ(capabilities.status, 0) << capabilities.err;
}

TEST_F(DocumentCommandTest, OptionsSelectWhatTheTicketHolds) {
    const Outcome run = Pthost({"--gpd", kRootGpd, "document", "ticket", "--option", "PaperSize=LETTER", "--option",
                                "Duplex=VERTICAL", "--option", "PunchHole=3Holes"});
    EXPECT_EQ(run.status, 0) << run.err;
    const qptest::XmlDoc doc(run.out);
    ASSERT_TRUE(doc.valid()) << doc.error();
    const std::string letter = "//psf:Feature[@name='psk:PageMediaSize']/psf:Option[@name='psk:NorthAmericaLetter']";
    EXPECT_EQ(doc.Text(letter + "/psf:ScoredProperty[@name='psk:MediaSizeWidth']/psf:Value"), "215900");
    EXPECT_EQ(doc.Text(letter + "/psf:ScoredProperty[@name='psk:MediaSizeHeight']/psf:Value"), "279400");
    EXPECT_EQ(doc.Text("//psf:Feature[@name='psk:JobDuplexAllDocumentsContiguously']/psf:Option/@name"),
              "psk:TwoSidedLongEdge");
    EXPECT_EQ(doc.Text("//psf:Feature[@name='ns0000:JobPunchHole']/psf:Option/@name"), "ns0000:_3Holes");
}

TEST_F(DocumentCommandTest, WithoutAGpdNamespaceThePluginsIsUsed) {
    const std::string gpd = ScratchFile("plain.gpd",
                                        "*GPDSpecVersion: \"1.0\"\n*ModelName: \"Plain\"\n*MasterUnits: PAIR(600, 600)\n"
                                        "*Feature: Finishing\n{\n*Name: \"Finishing\"\n*FeatureType: DOC_PROPERTY\n"
                                        "*Option: Off {}\n}\n");
    const Outcome run = Pthost({"--gpd", gpd, "document", "capabilities"});
    EXPECT_EQ(run.status, 0) << run.err;
    const qptest::XmlDoc doc(run.out);
    EXPECT_EQ(doc.Count("/psf:PrintCapabilities/psf:Feature[@name='ns0000:Finishing']"), 1);
    EXPECT_EQ(doc.Text("/psf:PrintCapabilities/namespace::ns0000"), qptest::kPrivateNamespaceUtf8);
    EXPECT_EQ(doc.Count("/psf:PrintCapabilities/psf:Feature[@name='psk:JobNUpAllDocumentsContiguously']"), 1)
        << "a GPD without the XPSDrv include is a GDI-mode driver";
}

TEST_F(DocumentCommandTest, MistakesAreUsageErrorsOfOneLine) {
    const struct {
        std::vector<std::string> args;
        const char* says;
    } cases[] = {
        {{"document", "ticket"}, "needs the GPD"},
        {{"--gpd", kRootGpd, "document"}, "capabilities or ticket"},
        {{"--gpd", kRootGpd, "document", "tickets"}, "got 'tickets'"},
        {{"--gpd", kRootGpd, "document", "ticket", "--option", "PaperSize=A0"}, "no option A0"},
        {{"--gpd", kRootGpd, "document", "ticket", "--option", "PaperSize"}, "FEATURE=OPTION"},
        {{"--gpd", ScratchFile("missing/none.gpd", "") + ".absent", "document", "ticket"}, "none.gpd.absent"},
    };
    for (const auto& mistake : cases) {
        const Outcome run = Pthost(mistake.args);
        EXPECT_EQ(run.status, 2) << mistake.says;
        EXPECT_EQ(run.out, "") << mistake.says;
        const std::string err = Errors(run.err);
        EXPECT_NE(err.find(mistake.says), std::string::npos) << err;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    }
    const std::string broken = ScratchFile("broken.gpd", "*Feature: Punch\n{\n");
    const Outcome malformed = Pthost({"--gpd", broken, "document", "ticket"});
    EXPECT_EQ(malformed.status, 2);
    EXPECT_EQ(Errors(malformed.err).rfind(broken + ":2: ", 0), 0u) << "a malformed GPD is reported as GPD:LINE: message";
}

}  // namespace
}  // namespace pthosttest
