// The conversion commands of pthost, run as a program on files and standard input.
#include "pthost_runner.h"

#include "support/ledger_check.h"
#include "support/xml_assert.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

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

// Standard error without the GPD reader's warnings.
std::string WithoutWarnings(const std::string& err) {
    std::string kept;
    for (size_t start = 0, end = 0; start < err.size(); start = end + 1) {
        end = std::min(err.find('\n', start), err.size());
        if (err.compare(start, 17, "pthost: warning: ") != 0) kept += err.substr(start, end + 1 - start);
    }
    return kept;
}

// The example GPD's digit-initial option names, which Unidrv accepts and pthost warns of.
const char* const kExampleWarnings[] = {"qpplugin.gpd:136: the option name 2Holes", "qpplugin.gpd:145: the option name 3Holes",
                                        "qpplugin.gpd:154: the option name 4Holes"};

// One line on standard error that names `subject` (besides the GPD reader's warnings), nothing
// on standard output, exit status 2.
void ExpectCannotRun(const Outcome& run, const std::string& subject) {
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    const std::string err = WithoutWarnings(run.err);
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << run.err;
    EXPECT_EQ(err.back(), '\n');
    EXPECT_NE(err.find(subject), std::string::npos) << run.err;
}

class PthostTest : public LedgerTest {};

const std::string kDriverGpd = ExamplePath("driver/qpplugin.gpd");

TEST_F(PthostTest, ToTicketOnTheExampleMovesDirectionTypesTheBinAndCountsTheHoles) {
    const Outcome run = Pthost({"--gpd", kDriverGpd, "to-ticket", "--option", "PunchHole=3Holes", "--option",
                                "Punch=AUTO", ExamplePath("printticket.xml")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, Pthost({"to-ticket", "--option", "PunchHole=3Holes", "--option", "Punch=AUTO",
                               ExamplePath("printticket.xml")})
                           .out);
    EXPECT_EQ(WithoutWarnings(run.err), "");
    for (const char* warning : kExampleWarnings) EXPECT_NE(run.err.find(warning), std::string::npos) << run.err;
    qptest::XmlDoc out(run.out);
    ASSERT_TRUE(out.valid()) << out.error();
    EXPECT_EQ(out.Count(kMoved), 1);
    EXPECT_EQ(out.Count("//psf:Feature[@name='ns0000:JobPresentationDirection']"), 0);
    EXPECT_EQ(out.Text(kBin + "/psf:Option[@name='ns0000:Center']/psf:ScoredProperty[@name='psk:BinType']"),
              "ns0000:Tray");
    EXPECT_EQ(out.Text(kHoleCount), "3");
    ExpectDeclarationsKept(run.out);
}

// The GPD's defaults are PunchHole=None and Punch=NONE; a selection the GPD lacks is refused
// with what it has.
TEST_F(PthostTest, TheGpdAnswersItsDefaultsAndRefusesWhatItLacks) {
    const std::string ticket = ExamplePath("printticket.xml");
    const Outcome defaults = Pthost({"--gpd", kDriverGpd, "to-ticket", "--option", "Punch=AUTO", ticket});
    EXPECT_EQ(defaults.status, 0) << defaults.err;
    EXPECT_EQ(qptest::XmlDoc(defaults.out).Text(kHoleCount), "0");
    const Outcome chosen = Pthost({"--gpd=" + kDriverGpd, "to-ticket", "--option=PunchHole=4Holes", "--option",
                                   "Punch=AUTO", ticket});
    EXPECT_EQ(qptest::XmlDoc(chosen.out).Text(kHoleCount), "4");

    ExpectCannotRun(Pthost({"--gpd", kDriverGpd, "to-ticket", "--option", "Holes=3", ticket}),
                    "has no feature Holes (its features: JobPresentationDirection, OutputBin, PunchHole, Punch)");
    ExpectCannotRun(Pthost({"--gpd", kDriverGpd, "capabilities", "--option", "Punch=None", ticket}),
                    "has no option None (its options: NONE, AUTO)");
    const std::string broken = ScratchFile("broken.gpd", "*Feature: Punch\n{\n  *Option: NONE\n  {\n}\n");
    ExpectCannotRun(Pthost({"--gpd", broken, "to-ticket", ticket}), broken + ":2: ");
    ExpectCannotRun(Pthost({"--gpd", broken + ".absent", "to-ticket", ticket}), broken + ".absent: cannot read");
    ExpectCannotRun(Pthost({"to-ticket", "--gpd", kDriverGpd, ticket}), "--gpd goes before the command");
    ExpectCannotRun(Pthost({"--gpd", kDriverGpd, "info"}), "--gpd");
}

// A root GPD that only includes its features, as a driver's DataFile does: the WDK's XPSDrv
// include modelled with a note, a conditional default made by a symbol given on the command line.
TEST_F(PthostTest, ARootThatIncludesItsFeaturesAnswersTheirConditionalDefaults) {
    const std::string root = ScratchFile("root.gpd", "*GPDSpecVersion: \"1.0\"\n*Include: \"MSXpsInc.gpd\"\n"
                                                     "*Include: \"qpplugin.gpd\"\n*Ifdef: HOLES\n"
                                                     "*Feature: PunchHole\n{\n    *switch: Punch\n    {\n"
                                                     "        *case: AUTO { *DefaultOption: 3Holes }\n    }\n}\n*Endif:\n");
    std::filesystem::copy_file(kDriverGpd, std::filesystem::path(root).parent_path() / "qpplugin.gpd");
    const std::string ticket = ExamplePath("printticket.xml");
    const Outcome holes = Pthost({"--gpd", root, "--define", "HOLES", "to-ticket", "--option", "Punch=AUTO", ticket});
    EXPECT_EQ(holes.status, 0) << holes.err;
    EXPECT_EQ(qptest::XmlDoc(holes.out).Text(kHoleCount), "3");
    EXPECT_NE(holes.err.find("pthost: warning: " + root + ":2: MSXpsInc.gpd is the WDK's; not found beside " + root +
                             ", modelled: *IsXPSDriver?: TRUE\n"),
              std::string::npos)
        << holes.err;
    const Outcome plain = Pthost({"--gpd", root, "to-ticket", "--option", "Punch=AUTO", ticket});
    EXPECT_EQ(qptest::XmlDoc(plain.out).Text(kHoleCount), "0") << plain.err;
    ExpectCannotRun(Pthost({"--gpd", root, "--define", "to-ticket", ticket}), "unknown command");
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

std::vector<std::string> FilesIn(const std::string& directory) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

// A file is read as its declaration says; standard input has no such help and must be UTF-8 or
// UTF-16 with a byte-order mark.
TEST_F(PthostTest, AFileIsReadInItsDeclaredEncoding) {
    const std::string latin1 = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<note>caf\xE9</note>\n";
    const Outcome fromFile = Pthost({"to-devmode", ScratchFile("latin1.xml", latin1)});
    EXPECT_EQ(fromFile.status, 0) << fromFile.err;
    EXPECT_EQ(fromFile.out, "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<note>caf\xE9</note>\n");
    ExpectCannotRun(Pthost({"to-devmode", "-"}, latin1), "<stdin>");
}

// A NUL character after the root element ends neither a file nor standard input early: what
// follows it would be lost without a word.
TEST_F(PthostTest, ANulAfterTheRootIsRefusedFromAFileAsFromStandardInput) {
    const std::string text("<?xml version=\"1.0\"?>\n<note>kept</note>\n\0<lost/>\n", 49);
    const std::string path = ScratchFile("nul.xml", text);
    ExpectCannotRun(Pthost({"to-devmode", path}), path + ":");
    ExpectCannotRun(Pthost({"to-devmode", "-"}, text), "<stdin>");
}

// The output is saved as MSXML saves a file: a declaration naming the encoding that the input's
// declaration named (UTF-8 when none), in that encoding, to OUT and to standard output alike.
TEST_F(PthostTest, TheOutputIsWrittenInTheEncodingTheInputDeclared) {
    const std::string example = ReadFile(ExamplePath("printticket.xml"));
    const std::string utf8Declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    ASSERT_EQ(example.rfind(utf8Declaration, 0), 0u);
    const std::string body = example.substr(utf8Declaration.size());
    const struct {
        const char* name;
        std::string input;
        std::string start;
        std::string declared;
    } cases[] = {
        {"UTF-8 declared", example, utf8Declaration, "UTF-8"},
        {"UTF-8, no encoding", "<?xml version=\"1.0\"?>\n" + body, utf8Declaration, "UTF-8"},
        {"UTF-8, no declaration", body, utf8Declaration, "UTF-8"},
        {"UTF-16 declared", qptest::Utf16LeWithBom("<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n" + body),
         qptest::Utf16LeWithBom("<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n"), "UTF-16"},
        {"UTF-16, no declaration", qptest::Utf16LeWithBom(body), utf8Declaration, "UTF-8"},
    };
    for (const auto& c : cases) {
        const std::string input = ScratchFile("input.xml", c.input);
        const std::string out = std::filesystem::path(input).parent_path() / "out.xml";
        const Outcome toFile = Pthost({"to-ticket", "--option", "PunchHole=3Holes", "-o", out, input});
        EXPECT_EQ(toFile.status, 0) << c.name << ": " << toFile.err;
        const Outcome toStdout = Pthost({"to-ticket", "--option", "PunchHole=3Holes", input});
        EXPECT_EQ(toStdout.status, 0) << c.name << ": " << toStdout.err;
        EXPECT_EQ(ReadFile(out), toStdout.out) << c.name;
        EXPECT_EQ(toStdout.out.substr(0, c.start.size()), c.start) << c.name;
        qptest::XmlDoc saved(toStdout.out, qptest::XmlDoc::Encoding::AsDeclared);
        ASSERT_TRUE(saved.valid()) << c.name << ": " << saved.error();
        EXPECT_EQ(saved.DeclaredEncoding(), c.declared) << c.name;
        EXPECT_EQ(saved.Text(kHoleCount), "3") << c.name;
        EXPECT_EQ(saved.Count(kMoved), 1) << c.name;
        EXPECT_EQ(FilesIn(std::filesystem::path(input).parent_path()), (std::vector<std::string>{"input.xml", "out.xml"}))
            << c.name;
    }
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
    EXPECT_EQ(run.err, "ConvertDevModeToPrintTicket returned 0x80004005 (E_FAIL): the ticket has no psk:JobHolePunch "
                       "feature with an option\n");
    qptest::XmlDoc out(run.out);
    ASSERT_TRUE(out.valid()) << out.error();
    EXPECT_EQ(out.Count(kMoved), 1);
    EXPECT_EQ(out.Count(kBin + "//psf:ScoredProperty[@name='psk:BinType']"), 1);
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

// Without the feature element named `name`, which holds no feature of its own.
std::string WithoutFeature(std::string xml, const std::string& name) {
    const size_t start = xml.find("<psf:Feature name=\"" + name + "\">");
    const std::string end = "</psf:Feature>";
    return xml.erase(start, xml.find(end, start) + end.size() - start);
}

const std::string kDriverNamespace = "http://schemas.qpqp.example/qv/2021/04/printing/printticket";

TEST_F(PthostTest, AFailedConversionSaysWhatTheInputLacks) {
    const std::string ticket = ReadFile(ExamplePath("printticket.xml"));
    const std::string capabilities = ReadFile(ExamplePath("printcapabilities.xml"));
    const std::string otherPrefixes =
        Replaced(Replaced(Replaced(Replaced(ticket, "psk:", "kw:"), "xmlns:psk", "xmlns:kw"), "ns0000:", "qp:"),
                 "xmlns:ns0000", "xmlns:qp");
    struct Case {
        const char* command;
        std::string document;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {"to-ticket", WithoutFeature(ticket, "ns0000:JobPresentationDirection"),
         "the ticket has no private JobPresentationDirection feature (ns0000:JobPresentationDirection)"},
        {"to-ticket", Replaced(ticket, "<psf:Feature name=\"ns0000:JobPresentationDirection\">",
                               "<psf:Feature name=\"own:JobPresentationDirection\" xmlns:own=\"" + kDriverNamespace + "\">"),
         "the ticket has no private JobPresentationDirection feature (ns0000:JobPresentationDirection)"},
        {"to-ticket", WithoutFeature(ticket, "psk:JobNUpAllDocumentsContiguously"),
         "the ticket has no psk:JobNUpAllDocumentsContiguously feature"},
        {"to-ticket", WithoutFeature(ticket, "psk:JobOutputBin"), "the ticket has no psk:JobOutputBin feature"},
        {"to-ticket", WithoutFeature(otherPrefixes, "kw:JobOutputBin"), "the ticket has no kw:JobOutputBin feature"},
        {"to-ticket", WithoutFeature(ticket, "psk:JobHolePunch"),
         "the ticket has no psk:JobHolePunch feature with an option"},
        {"to-ticket", Replaced(Replaced(ticket, " xmlns:ns0000=\"" + kDriverNamespace + "\"", ""), "ns0000:", "psk:"),
         "the root element does not declare the driver's namespace " + kDriverNamespace},
        {"to-ticket", Replaced(Replaced(ticket, " xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\"", ""), "xsd:", ""),
         "the root element does not declare http://www.w3.org/2001/XMLSchema, which the type of the hole count needs"},
        {"capabilities", WithoutFeature(capabilities, "psk:JobOutputBin"),
         "the capabilities document has no psk:JobOutputBin feature"},
    };
    for (const Case& c : cases) {
        const Outcome run = Pthost({c.command, "-"}, c.document);
        const std::string method = c.command == std::string("capabilities") ? "CompletePrintCapabilities"
                                                                            : "ConvertDevModeToPrintTicket";
        EXPECT_EQ(run.status, 1) << c.reason;
        EXPECT_EQ(run.err, method + " returned 0x80004005 (E_FAIL): " + c.reason + "\n");
    }
}

TEST_F(PthostTest, ADocumentOfTheOtherKindIsConvertedWithAWarning) {
    const std::string ticket = ExamplePath("printticket.xml");
    const std::string capabilities = ExamplePath("printcapabilities.xml");
    const Outcome asCapabilities = Pthost({"capabilities", ticket});
    EXPECT_EQ(asCapabilities.status, 0);
    EXPECT_EQ(asCapabilities.err, "pthost: warning: " + ticket +
                                      ": the root element is psf:PrintTicket, not a PrintCapabilities; capabilities "
                                      "converts it anyway\n");
    for (const char* command : {"to-ticket", "to-devmode"}) {
        const Outcome asTicket = Pthost({command, "--option", "Punch=AUTO", capabilities});
        EXPECT_EQ(asTicket.err.rfind("pthost: warning: " + capabilities +
                                         ": the root element is psf:PrintCapabilities, not a PrintTicket; " + command,
                                     0),
                  0u)
            << asTicket.err;
    }
}

std::string WithoutHolePunchOption(std::string ticket) {
    const std::string option = "<psf:Option name=\"ns0000:AUTO\"/>";
    ticket.erase(ticket.find(option), option.size());
    return ticket;
}


// The same file by another name: through "./" and through a symbolic link.
TEST_F(PthostTest, AFailedConversionNeverOverwritesItsInput) {
    const std::string ticket = WithoutHolePunchOption(ReadFile(ExamplePath("printticket.xml")));
    const std::string input = ScratchFile("ticket.xml", ticket);
    const std::filesystem::path directory = std::filesystem::path(input).parent_path();
    std::filesystem::create_symlink(input, directory / "link.xml");
    for (const std::string& output : {input, (directory / "." / "ticket.xml").string(), (directory / "link.xml").string()}) {
        const Outcome run = Pthost({"to-ticket", "-o", output, input});
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find(output + " is the input file: left as it was"), std::string::npos) << run.err;
        EXPECT_EQ(ReadFile(input), ticket);
    }
    EXPECT_TRUE(std::filesystem::is_symlink(directory / "link.xml"));
    EXPECT_EQ(FilesIn(directory), (std::vector<std::string>{"link.xml", "ticket.xml"}));
}

TEST_F(PthostTest, ASucceededConversionReplacesTheOutputKeepingItsModeAndLinks) {
    const std::string input = ScratchFile("ticket.xml", ReadFile(ExamplePath("printticket.xml")));
    const std::filesystem::path directory = std::filesystem::path(input).parent_path();
    ASSERT_EQ(chmod(input.c_str(), 0640), 0);
    std::filesystem::create_symlink(input, directory / "link.xml");

    const Outcome run = Pthost({"to-ticket", "--option", "PunchHole=2Holes", "-o", (directory / "link.xml").string(), input});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(qptest::XmlDoc(ReadFile(input)).Text(kHoleCount), "2");
    EXPECT_TRUE(std::filesystem::is_symlink(directory / "link.xml"));
    struct stat status {};
    ASSERT_EQ(stat(input.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    EXPECT_EQ(FilesIn(directory), (std::vector<std::string>{"link.xml", "ticket.xml"}));
    EXPECT_EQ(Pthost({"to-ticket", "-o", "/dev/null", ExamplePath("printticket.xml")}).status, 0);
}

// A file-size limit below the document's size makes the write fail part-way, as a full disk does.
TEST_F(PthostTest, AWriteThatFailsPartWayLeavesTheOutputAsItWas) {
    const std::string input = ExamplePath("printticket.xml");
    ASSERT_GT(ReadFile(input).size(), 2048u);
    const std::string old = ScratchFile("old.xml", "<old/>\n");
    const std::string directory = std::filesystem::path(old).parent_path();
    const Setting limited{"", "", "ulimit -f 1"};
    const Outcome over = PthostWith(limited, {"--plugin", ModulePath(), "to-ticket", "-o", old, input});
    EXPECT_EQ(over.status, 2);
    EXPECT_NE(over.err.find(old + ": cannot write: IXMLDOMDocument::save returned 0x800700DF"), std::string::npos)
        << over.err;
    EXPECT_EQ(ReadFile(old), "<old/>\n");

    const std::string absent = directory + "/new.xml";
    const Outcome fresh = PthostWith(limited, {"--plugin", ModulePath(), "to-ticket", "-o", absent, input});
    EXPECT_EQ(fresh.status, 2);
    EXPECT_EQ(FilesIn(directory), (std::vector<std::string>{"old.xml"}));
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
        EXPECT_EQ(help.out.rfind(std::string("usage: pthost [--plugin PATH] [--gpd FILE [--define SYMBOL]...] ") + command, 0), 0u) << help.out;
        EXPECT_EQ(help.err, "");
    }
}

}  // namespace
}  // namespace pthosttest
