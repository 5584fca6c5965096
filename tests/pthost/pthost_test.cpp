// The conversion commands of pthost, run as a program on files and standard input.
#include "pthost_runner.h"

#include "support/ledger_check.h"
#include "support/xml_assert.h"

#include <algorithm>

namespace pthosttest {
namespace {

const std::string kMoved =
    "/psf:PrintTicket/psf:Feature[@name='psk:JobNUpAllDocumentsContiguously']/psf:Feature[last()]"
    "[@name='psk:PresentationDirection']";
const std::string kBin = "//psf:Feature[@name='psk:JobOutputBin']";
const std::string kHoleCount =
    "//psf:Feature[@name='psk:JobHolePunch']/psf:Option/psf:ScoredProperty[@name='psk:HoleCount']/psf:Value";

// The start tag of the root element, where the core driver declares its namespaces.
std::string RootStartTag(const std::string& xml) {
    size_t start = xml.find('<');
    while (start != std::string::npos && (xml.compare(start, 2, "<?") == 0 || xml.compare(start, 2, "<!") == 0)) {
        start = xml.find('<', start + 1);
    }
    return start == std::string::npos ? "" : xml.substr(start, xml.find('>', start) - start);
}

void ExpectDeclarationsKept(const std::string& xml) {
    const std::string tag = RootStartTag(xml);
    for (const char* prefix : {"psf", "psk", "xsi", "xsd", "ns0000"}) {
        EXPECT_NE(tag.find(std::string("xmlns:") + prefix + "=\""), std::string::npos) << prefix << " in " << tag;
    }
}

// One line on standard error that names `subject`, nothing on standard output, exit status 2.
void ExpectCannotRun(const Outcome& run, const std::string& subject) {
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_EQ(run.err.back(), '\n');
    EXPECT_NE(run.err.find(subject), std::string::npos) << run.err;
}

class PthostTest : public LedgerTest {};

TEST_F(PthostTest, ToTicketOnTheExampleMovesDirectionTypesTheBinAndCountsTheHoles) {
    const Outcome run = Pthost({"to-ticket", "--option", "PunchHole=3Holes", "--option", "Punch=AUTO",
                            ExamplePath("printticket.xml")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    qptest::XmlDoc out(run.out);
    ASSERT_TRUE(out.valid()) << out.error();
    EXPECT_EQ(out.Count(kMoved), 1);
    EXPECT_EQ(out.Count("//psf:Feature[@name='ns0000:JobPresentationDirection']"), 0);
    EXPECT_EQ(out.Text(kBin + "/psf:Option[@name='ns0000:Center']/psf:ScoredProperty[@name='psk:BinType']"),
              "ns0000:Tray");
    EXPECT_EQ(out.Text(kHoleCount), "3");
    ExpectDeclarationsKept(run.out);
}

TEST_F(PthostTest, StandardInputToAFileAndBackToTheDriversNames) {
    const std::string edited = ScratchFile("edited.xml", "");
    const Outcome toTicket = Pthost({"to-ticket", "--option", "PunchHole=4Holes", "-o", edited, "-"},
                                ReadFile(ExamplePath("printticket.xml")));
    EXPECT_EQ(toTicket.status, 0) << toTicket.err;
    EXPECT_EQ(toTicket.out, "");
    EXPECT_EQ(qptest::XmlDoc(ReadFile(edited)).Text(kHoleCount), "4");

    const Outcome back = Pthost({"to-devmode", edited});
    EXPECT_EQ(back.status, 0) << back.err;
    qptest::XmlDoc out(back.out);
    ASSERT_TRUE(out.valid()) << out.error();
    EXPECT_EQ(out.Text("/psf:PrintTicket/psf:Feature[last()]/@name"), "ns0000:JobPresentationDirection");
    EXPECT_EQ(out.Count("//psf:Feature[@name='psk:PresentationDirection']"), 0);
    EXPECT_EQ(out.Text(kBin + "/psf:Option/@name"), "ns0000:Center");
    EXPECT_EQ(out.Count(kBin + "//psf:ScoredProperty"), 0);
    EXPECT_EQ(out.Text(kHoleCount), "4") << "the hole count has no way back";
    ExpectDeclarationsKept(back.out);
}

// A file is read as its declaration says; standard input has no such help and must be UTF-8 or
// UTF-16 with a byte-order mark.
TEST_F(PthostTest, AFileIsReadInItsDeclaredEncoding) {
    const std::string latin1 = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<note>caf\xE9</note>\n";
    const Outcome fromFile = Pthost({"to-devmode", ScratchFile("latin1.xml", latin1)});
    EXPECT_EQ(fromFile.status, 0) << fromFile.err;
    EXPECT_EQ(qptest::XmlDoc(fromFile.out).Text("/note"), "caf\xC3\xA9");
    ExpectCannotRun(Pthost({"to-devmode", "-"}, latin1), "<stdin>");
}

TEST_F(PthostTest, CapabilitiesTypeTheTwoDriverBinsOnly) {
    const Outcome run = Pthost({"capabilities", ExamplePath("printcapabilities.xml")});
    EXPECT_EQ(run.status, 0) << run.err;
    qptest::XmlDoc out(run.out);
    ASSERT_TRUE(out.valid()) << out.error();
    EXPECT_EQ(out.Texts(kBin + "/psf:Option/psf:ScoredProperty[@name='psk:BinType']/psf:Value"),
              (std::vector<std::string>{"ns0000:Tray", "psk:Stacker"}));
    EXPECT_EQ(out.Texts(kBin + "/psf:Option[psf:ScoredProperty]/@name"),
              (std::vector<std::string>{"ns0000:Center", "ns0000:Finisher"}));
    EXPECT_EQ(out.Count("//psf:ScoredProperty[@name='psk:HoleCount']"), 0);
    EXPECT_EQ(out.Count("/psf:PrintCapabilities/psf:Feature[@name='psk:JobNUpAllDocumentsContiguously']"
                        "/psf:Feature[@name='psk:PresentationDirection']/psf:Option"),
              4);
    ExpectDeclarationsKept(run.out);
}

TEST_F(PthostTest, AFailedConversionStillWritesTheEditsAndExitsWithOne) {
    std::string ticket = ReadFile(ExamplePath("printticket.xml"));
    const size_t punch = ticket.find("<psf:Feature name=\"psk:JobHolePunch\">");
    ASSERT_NE(punch, std::string::npos);
    ticket.erase(punch, ticket.find("</psf:Feature>", punch) + 14 - punch);

    const Outcome run = Pthost({"to-ticket", ScratchFile("no-punch.xml", ticket)});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "ConvertDevModeToPrintTicket returned 0x80004005 (E_FAIL)\n");
    qptest::XmlDoc out(run.out);
    ASSERT_TRUE(out.valid()) << out.error();
    EXPECT_EQ(out.Count(kMoved), 1);
    EXPECT_EQ(out.Count(kBin + "//psf:ScoredProperty[@name='psk:BinType']"), 1);
}

TEST_F(PthostTest, ANamespaceNameThatIsNotAUriIsKept) {
    const std::string spaced = " http://schemas.microsoft.com/windows/2013/05/printing/printschemakeywordsv11";
    const std::string ticket = ScratchFile(
        "pin-ticket.xml",
        "<psf:PrintTicket xmlns:psf=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework\""
        " xmlns:pskv11=\"" + spaced + "\" version=\"1\">\n"
        "  <psf:ParameterInit name=\"pskv11:JobPasscodeString\"><pskv11:Pin/></psf:ParameterInit>\n"
        "</psf:PrintTicket>\n");
    const Outcome run = Pthost({"to-devmode", ticket});
    EXPECT_EQ(run.status, 0) << run.err;
    qptest::XmlDoc out(run.out);
    ASSERT_TRUE(out.valid()) << out.error();
    EXPECT_EQ(out.Count("//psf:ParameterInit/*[local-name()='Pin' and namespace-uri()='" + spaced + "']"), 1)
        << run.out;
}

TEST_F(PthostTest, InputThatCannotBeReadOrParsedIsNamedWithItsPosition) {
    const std::string missing = testing::TempDir() + "pthost-no-such-file.xml";
    ExpectCannotRun(Pthost({"to-ticket", missing}), missing);

    const std::string malformed = ScratchFile("malformed.xml", "<root>\n  <a>\n</root>\n");
    const Outcome run = Pthost({"capabilities", malformed});
    ExpectCannotRun(run, malformed + ":3:");

    ExpectCannotRun(Pthost({"to-devmode", "-"}, "not xml"), "<stdin>:1:");
}

TEST_F(PthostTest, UsageErrorsNameTheCommandOrOption) {
    const std::string ticket = ExamplePath("printticket.xml");
    ExpectCannotRun(Pthost({"frobnicate", ticket}), "frobnicate");
    ExpectCannotRun(Pthost({"to-ticket", "--bogus", ticket}), "--bogus");
    ExpectCannotRun(Pthost({"to-ticket", "--option", "PunchHole", ticket}), "PunchHole");
    ExpectCannotRun(Pthost({"to-ticket", "--option", "Punch=AUTO", "--option", "Punch=NONE", ticket}), "Punch");
    ExpectCannotRun(Pthost({"to-devmode", "--option=", ticket}), "--option");
    ExpectCannotRun(Pthost({"capabilities", "--option", "=AUTO", ticket}), "=AUTO");
    ExpectCannotRun(Pthost({"to-ticket", "-o"}), "-o");
    ExpectCannotRun(Pthost({"capabilities"}), "FILE");
    ExpectCannotRun(Pthost({"to-ticket", ticket, ticket}), ticket);
}

TEST_F(PthostTest, AModuleThatCannotServeIsNamed) {
    const std::string ticket = ExamplePath("printticket.xml");
    ExpectCannotRun(PthostRaw({"--plugin", QP_NOT_A_PLUGIN_MODULE, "to-ticket", ticket}), QP_NOT_A_PLUGIN_MODULE);
    const std::string absent = testing::TempDir() + "pthost-no-such-module.so";
    ExpectCannotRun(PthostRaw({"--plugin", absent, "capabilities", ticket}), absent);
}

TEST_F(PthostTest, HelpForTheToolAndEachCommand) {
    const Outcome tool = PthostRaw({"--help"});
    EXPECT_EQ(tool.status, 0);
    for (const char* command : {"to-ticket", "to-devmode", "capabilities"}) {
        EXPECT_NE(tool.out.find(command), std::string::npos) << command;
        const Outcome help = Pthost({command, "--help"});
        EXPECT_EQ(help.status, 0);
        EXPECT_EQ(help.out.rfind(std::string("usage: pthost [--plugin PATH] ") + command, 0), 0u) << help.out;
        EXPECT_EQ(help.err, "");
    }
}

}  // namespace
}  // namespace pthosttest
