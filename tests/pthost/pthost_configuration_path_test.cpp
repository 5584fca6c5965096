// pthost doing the core driver's configuration path from the GPD alone: conversions on the
// documents it builds, --diff, the selections read back after to-devmode, and round-trip.
#include "pthost_runner.h"

#include "support/xml_assert.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace pthosttest {
namespace {

const std::string kSample = ExamplePath("driver/qpqpex.gpd");

// Standard error without the GPD reader's warnings.
std::string Reported(const std::string& err) {
    std::istringstream lines(err);
    std::string kept;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("pthost: warning: ", 0) != 0) kept += line + "\n";
    }
    return kept;
}

int LinesStartingWith(const std::string& text, char first) {
    std::istringstream lines(text);
    int count = 0;
    for (std::string line; std::getline(lines, line);) count += !line.empty() && line[0] == first ? 1 : 0;
    return count;
}

// The sample package with another private namespace than the plug-in's.
std::string SampleInAnotherNamespace() {
    std::string root = ReadFile(kSample);
    const std::string own = "http://schemas.qpqp.example/qv/2021/04/printing/printticket";
    root.replace(root.find(own), own.size(), "urn:another-namespace");
    const std::string path = ScratchFile("qpqpex.gpd", root);
    std::ofstream(path.substr(0, path.rfind('/') + 1) + "qpplugin.gpd", std::ios::binary)
        << ReadFile(ExamplePath("driver/qpplugin.gpd"));
    return path;
}

TEST(PthostConfigurationPath, ToTicketWithoutFileDiffsTheTicketBuiltFromTheGpdAgainstThePluginsEdits) {
    const Outcome run =
        Pthost({"--gpd", kSample, "to-ticket", "--diff", "--option", "PunchHole=3Holes", "--option", "Punch=AUTO"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind("--- before\n+++ after\n@@ -", 0), 0u) << run.out;
    for (const char* line : {"\n-  <psf:Feature name=\"ns0000:JobPresentationDirection\">\n",
                             "\n+    <psf:Feature name=\"psk:PresentationDirection\">\n",
                             "\n+        <psf:Value xsi:type=\"xsd:QName\">ns0000:Tray</psf:Value>\n",
                             "\n+        <psf:Value xsi:type=\"xsd:integer\">3</psf:Value>\n"}) {
        EXPECT_NE(run.out.find(line), std::string::npos) << line << "\nin\n" << run.out;
    }
    // The three edits and nothing else: the page order moved (3 lines out, 3 in), a bin type
    // and a hole count each turning an empty option into one with a scored property (1 out, 5 in).
    EXPECT_EQ(LinesStartingWith(run.out, '-'), 1 + 5);
    EXPECT_EQ(LinesStartingWith(run.out, '+'), 1 + 13);
    EXPECT_EQ(Reported(run.err), "");

    const Outcome whole = Pthost({"--gpd", kSample, "to-ticket", "--option", "PunchHole=3Holes"});
    EXPECT_EQ(whole.status, 0) << whole.err;
    const qptest::XmlDoc ticket(whole.out);
    EXPECT_EQ(ticket.Count("//psf:Feature[@name='psk:JobNUpAllDocumentsContiguously']/psf:Feature"
                           "[@name='psk:PresentationDirection']/psf:Option[@name='ns0000:RightBottom']"),
              1);
    EXPECT_EQ(ticket.Text("//psf:Feature[@name='psk:JobHolePunch']/psf:Option/psf:ScoredProperty/psf:Value"), "0");
}

TEST(PthostConfigurationPath, ToDevModeWithoutFileConvertsThePublicTicketBackAndSaysWhatTheCoreDriverReads) {
    const Outcome run = Pthost({"--gpd", kSample, "to-devmode", "--option", "JobPresentationDirection=BottomLeft",
                                "--option", "OutputBin=Finisher"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Reported(run.err),
              "pthost: selections read back: JobPresentationDirection=BottomLeft OutputBin=Finisher PunchHole=None "
              "Punch=NONE PaperSize=A4 InputBin=UPPER Resolution=Res600 Orientation=PORTRAIT Duplex=NONE "
              "Collate=OFF PagesPerSheet=1\n"
              "pthost: not read back: parameter psk:JobCopiesAllDocuments is no GPD selection\n");
    const qptest::XmlDoc ticket(run.out);
    EXPECT_EQ(ticket.Count("/psf:PrintTicket/psf:Feature[@name='ns0000:JobPresentationDirection']"
                           "/psf:Option[@name='ns0000:BottomLeft']"),
              1);
    EXPECT_EQ(ticket.Count("//psf:Feature[@name='psk:PresentationDirection']"), 0);
    EXPECT_EQ(ticket.Count("//psf:Option[@name='ns0000:Finisher']/psf:ScoredProperty"), 0);

    // The ticket the core driver built, which the plug-in leaves alone on the way in: no diff.
    const std::string built = ScratchFile("built.xml", Pthost({"--gpd", kSample, "document", "ticket"}).out);
    const Outcome unchanged = Pthost({"--gpd", kSample, "to-devmode", "--diff", built});
    EXPECT_EQ(unchanged.status, 0) << unchanged.err;
    EXPECT_EQ(unchanged.out, "");
}

TEST(PthostConfigurationPath, ToDevModeNamesWhatMapsToNoGpdOptionAndKeepsTheDefault) {
    const std::string ticket = ScratchFile(
        "foreign.xml",
        "<psf:PrintTicket xmlns:psf='http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework'"
        " xmlns:psk='http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords'"
        " xmlns:ns0000='http://schemas.qpqp.example/qv/2021/04/printing/printticket' version='1'>"
        "<psf:Feature name='psk:JobOutputBin'><psf:Option name='ns0000:Attic'/></psf:Feature>"
        "<psf:Feature name='ns0000:JobPunchHole'><psf:Option name='ns0000:_2Holes'/></psf:Feature>"
        "<psf:Feature name='ns0000:Gloss'><psf:Option name='ns0000:High'/></psf:Feature>"
        "</psf:PrintTicket>");
    const Outcome run = Pthost({"--gpd", kSample, "to-devmode", "--option", "OutputBin=Upper", ticket});
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string err = Reported(run.err);
    EXPECT_NE(err.find("pthost: selections read back: JobPresentationDirection=RightBottom OutputBin=Upper "
                       "PunchHole=2Holes "),
              std::string::npos)
        << err;
    EXPECT_NE(err.find("\npthost: not mapped: option ns0000:Attic of feature psk:JobOutputBin (OutputBin keeps "
                       "Upper)\npthost: not mapped: feature ns0000:Gloss\n"),
              std::string::npos)
        << err;
}

TEST(PthostConfigurationPath, RoundTripPassesOnTheSamplePackageAndNamesWhatAnotherNamespaceLoses) {
    const Outcome whole = Pthost({"--gpd", kSample, "round-trip", "--all"});
    EXPECT_EQ(whole.status, 0) << whole.out << whole.err;
    EXPECT_NE(whole.out.find("\nPagesPerSheet=16: comes back\n"), std::string::npos) << whole.out;
    EXPECT_EQ(whole.out.substr(whole.out.rfind('\n', whole.out.size() - 2) + 1),
              "round-trip: 20 of 20 round trips bring every selection back\n");

    const Outcome lost =
        Pthost({"--gpd", SampleInAnotherNamespace(), "round-trip", "--option", "JobPresentationDirection=LeftBottom"});
    EXPECT_EQ(lost.status, 1) << lost.err;
    EXPECT_NE(lost.out.find("\n  JobPresentationDirection=LeftBottom: lost at ConvertDevModeToPrintTicket: it "
                            "returned 0x80004005 (E_FAIL): "),
              std::string::npos)
        << lost.out;
    EXPECT_NE(lost.out.find("round-trip: 0 of 1 round trips bring every selection back\n"), std::string::npos);
}

TEST(PthostConfigurationPath, WithoutFileOrGpdThereIsNothingToRunOn) {
    for (const char* command : {"to-ticket", "to-devmode", "capabilities"}) {
        const Outcome run = Pthost({command, "--diff"});
        EXPECT_EQ(run.status, 2) << command;
        EXPECT_NE(run.err.find("no FILE given, nor --gpd GPD"), std::string::npos) << run.err;
    }
    const Outcome trip = Pthost({"round-trip", "--all"});
    EXPECT_EQ(trip.status, 2);
    EXPECT_NE(trip.err.find("needs the GPD"), std::string::npos) << trip.err;
}

}  // namespace
}  // namespace pthosttest
