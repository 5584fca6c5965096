// pthost features and check on the sample driver package, and check on broken copies of it.
#include "pthost_runner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace pthosttest {
namespace {

const std::vector<std::string> kSampleFiles = {"qpqpex.gpd", "qpplugin.gpd", "qpqpex.ini", "qpqpex.inf"};

// The sample package, copied into a scratch directory with every `from` replaced by `to` in
// `file`.
class PackageCopy {
public:
    PackageCopy(const std::string& file = "", const std::string& from = "", const std::string& to = "") {
        for (const std::string& name : kSampleFiles) {
            std::string text = ReadFile(ExamplePath("driver/" + name));
            if (name == file) {
                EXPECT_NE(text.find(from), std::string::npos) << from << " is not in " << name;
                for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
                    text.replace(at, from.size(), to);
                }
            }
            texts_[name] = text;
            const std::string path = directory_.empty() ? ScratchFile(name, text) : directory_ + "/" + name;
            if (directory_.empty()) directory_ = std::filesystem::path(path).parent_path();
            else ScratchWrite(path, text);
        }
    }

    std::string Path(const std::string& name) const { return directory_ + "/" + name; }

    // "PATH:LINE" of the first line of the copy of `name` that starts with `text` after its indent.
    std::string Where(const std::string& name, const std::string& text) const {
        const std::string& whole = texts_.at(name);
        size_t at = whole.find(text);
        while (at != std::string::npos && at != 0 && whole.find_last_not_of(" \t", at - 1) != std::string::npos &&
               whole[whole.find_last_not_of(" \t", at - 1)] != '\n') {
            at = whole.find(text, at + 1);
        }
        EXPECT_NE(at, std::string::npos) << text;
        const long line = 1 + std::count(whole.begin(), whole.begin() + static_cast<long>(at), '\n');
        return Path(name) + ":" + std::to_string(line);
    }

    Outcome Check() const {
        return Pthost({"--gpd", Path("qpqpex.gpd"), "check", "--ini", Path("qpqpex.ini"), "--inf", Path("qpqpex.inf")});
    }

private:
    static void ScratchWrite(const std::string& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }

    std::string directory_;
    std::map<std::string, std::string> texts_;
};

// The lines of standard error other than the GPD reader's warnings.
size_t ErrorLines(const std::string& err) {
    size_t lines = 0;
    for (size_t start = 0; start < err.size(); start = err.find('\n', start) + 1) {
        if (err.compare(start, 16, "pthost: warning:") != 0) ++lines;
        if (err.find('\n', start) == std::string::npos) break;
    }
    return lines;
}

TEST(PthostCheck, TheSamplePackageGivesThePluginAllItNeeds) {
    const Outcome run = Pthost({"--gpd", ExamplePath("driver/qpqpex.gpd"), "check", "--ini",
                                ExamplePath("driver/qpqpex.ini"), "--inf", ExamplePath("driver/qpqpex.inf")});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(run.out, "pthost check: nothing found\n");
    EXPECT_EQ(run.err.find("error"), std::string::npos) << run.err;
}

struct PlantedFault {
    const char* file;
    const char* from;
    const char* to;
    const char* findingLine;  // the text of the line the finding names, in the broken file
    const char* finding;      // what the finding says after "FILE:LINE: "
};

// Each broken copy gives exactly the finding it was made for, at the place of the fault.
TEST(PthostCheck, EachPlantedFaultIsNamedWhereItIsWithWhatFollows) {
    const std::vector<PlantedFault> faults = {
        {"qpqpex.gpd", "    *PrintSchemaKeywordMap: \"JobNUpAllDocumentsContiguously\"\n", "", "*GPDSpecVersion",
         "XPSDrv mode, and no feature is mapped to JobNUpAllDocumentsContiguously: ConvertDevModeToPrintTicket and "
         "CompletePrintCapabilities will return E_FAIL"},
        {"qpqpex.gpd", "2021/04/printing/printticket\"", "2022/printticket\"", "*PrintSchemaPrivateNamespaceURI",
         "the private namespace \"http://schemas.qpqp.example/qv/2022/printticket\" is not the plug-in's"},
        {"qpqpex.gpd", "*Include: \"MSXpsInc.gpd\"\n", "", "*GPDSpecVersion", "not an XPSDrv driver"},
        {"qpplugin.gpd", "*Feature: JobPresentationDirection", "*Feature: PageOrder", "*GPDSpecVersion",
         "no private feature JobPresentationDirection: ConvertDevModeToPrintTicket and CompletePrintCapabilities "
         "will return E_FAIL"},
        {"qpplugin.gpd", "*Option: BottomLeft", "*Option: Spiral", "*Feature: JobPresentationDirection",
         "options of JobPresentationDirection that are no Print Schema presentation direction: Spiral"},
        {"qpplugin.gpd", "Center", "Middle", "*Feature: OutputBin",
         "OutputBin has no private option Center: no bin gets the psk:BinType Tray"},
        {"qpplugin.gpd", "    *PrintSchemaKeywordMap: \"JobHolePunch\"\n", "", "*GPDSpecVersion",
         "no feature is mapped to JobHolePunch: ConvertDevModeToPrintTicket will return E_FAIL"},
        {"qpplugin.gpd", "*Option: 3Holes", "*Option: ThreeHoles", "*Feature: PunchHole",
         "PunchHole has no option 3Holes: the hole count is never 3"},
        {"qpplugin.gpd", "*Feature: Punch\n", "*Feature: Perforate\n", "*GPDSpecVersion",
         "no feature Punch: GetOption(\"Punch\") fails"},
        {"qpplugin.gpd", "            *Order: JOB_SETUP.20\n", "", "*Option: NONE",
         "options of Punch without a *Command: CmdSelect that has an *Order: NONE, AUTO"},
        {"qpqpex.gpd", "*Feature: PagesPerSheet",
         "*Feature: OutputBin\n{\n    *Option: Lower\n    {\n        *Name: \"Lower\"\n        *Command: CmdSelect\n"
         "        {\n            *Order: JOB_SETUP.18\n        }\n    }\n}\n*Feature: PagesPerSheet",
         "*Option: Lower", "OutputBin is declared in qpplugin.gpd and again in qpqpex.gpd"},
        {"qpqpex.ini", "OEMConfigFile1=qpplugin.dll", "OEMDriverFile1=qpplugin.dll", "OEMDriverFile1",
         "names qpplugin.dll as a rendering plug-in (OEMDriverFile1)"},
        {"qpqpex.inf", "DataFile=qpqpex.gpd", "DataFile=qpqp.gpd", "DataFile=",
         "DataFile=qpqp.gpd is not the GPD checked (qpqpex.gpd)"},
        {"qpqpex.inf", "qpqpex.ini\nqpplugin.dll\n", "qpqpex.ini\n", "CopyFiles=",
         "[QPQPEX] copies no qpplugin.dll: the core driver cannot load the plug-in"},
        {"qpqpex.inf", "qpqpex.gpd\nqpplugin.gpd\n", "qpqpex.gpd\n", "CopyFiles=",
         "[QPQPEX] copies no qpplugin.gpd (a GPD it includes)"},
        {"qpqpex.inf", "CoreDriverSections=", "Include=NTPRINT.INF\nNeeds=UNIDRV.OEM\nDataSection=UNIDRV_DATA\nX=",
         "Include=", "Include= is the pre-Vista form of taking the core driver"},
        {"qpqpex.inf", "[PrinterPackageInstallation.amd64]\nPackageAware=TRUE\n",
         "[PrinterPackageInstallation.amd64]\nPackageAware=TRUE\nCoreDriverDependencies={D20EA372-DD35-4950-9ED8-"
         "A6335AFE79F0}\n[Unused]\n", "CoreDriverDependencies={D20EA372-DD35-4950-9ED8-A6335AFE79F0}\n[Unused]",
         "[PrinterPackageInstallation.amd64] does not declare the dependency on the XPSDrv core driver"},
    };
    for (const PlantedFault& fault : faults) {
        const PackageCopy copy(fault.file, fault.from, fault.to);
        const Outcome run = copy.Check();
        const std::string where =
            std::string(fault.findingLine) == "*GPDSpecVersion" ? copy.Path("qpqpex.gpd") + ":1" : copy.Where(fault.file, fault.findingLine);
        EXPECT_EQ(run.status, 1) << fault.to << "\n" << run.out << run.err;
        EXPECT_NE(run.out.find(where + ": " + fault.finding), std::string::npos)
            << "expected " << where << ": " << fault.finding << "\ngot:\n" << run.out;
    }
}

TEST(PthostCheck, WhatCannotBeCheckedExitsTwoWithOneLine) {
    const PackageCopy copy;
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"check"}, "needs the GPD: pthost --gpd FILE check"},
        {{"--gpd", copy.Path("qpqpex.gpd"), "check", "--ini", copy.Path("absent.ini")}, "absent.ini: cannot read"},
        {{"--gpd", copy.Path("qpqpex.gpd"), "check", "--inf"}, "--inf needs FILE"},
        {{"--gpd", copy.Path("qpqpex.gpd"), "check", "extra"}, "unexpected argument 'extra'"},
        {{"check", "--gpd", copy.Path("qpqpex.gpd")}, "--gpd goes before the command"},
        {{"--gpd", copy.Path("absent.gpd"), "check"}, "absent.gpd"},
    };
    for (const auto& [args, message] : cases) {
        const Outcome run = Pthost(args);
        EXPECT_EQ(run.status, 2) << message;
        EXPECT_EQ(run.out, "") << message;
        EXPECT_EQ(ErrorLines(run.err), 1u) << run.err;
        EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
    }
    const Outcome notAPlugin = Pthost({"--plugin", QP_NOT_A_PLUGIN_MODULE, "--gpd", copy.Path("qpqpex.gpd"), "check"});
    EXPECT_EQ(notAPlugin.status, 2) << notAPlugin.err;
}

TEST(PthostFeatures, TheSampleAsTheCoreDriverReadsItIncludesFollowed) {
    const Outcome run = Pthost({"--gpd", ExamplePath("driver/qpqpex.gpd"), "features"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "JobPresentationDirection default=RightBottom options=RightBottom,BottomRight,LeftBottom,BottomLeft\n"
              "OutputBin default=Center options=Upper,Center,Finisher,FaceUp keyword=psk:JobOutputBin\n"
              "PunchHole default=None options=None,2Holes,3Holes,4Holes\n"
              "Punch default=NONE options=NONE,AUTO keyword=psk:JobHolePunch\n"
              "PaperSize default=A4 options=A4,LETTER,A5,LEGAL keyword=psk:PageMediaSize\n"
              "InputBin default=UPPER options=UPPER,LOWER,MANUAL keyword=psk:JobInputBin\n"
              "Resolution default=Res600 options=Res600,Res1200 keyword=psk:PageResolution\n"
              "Orientation default=PORTRAIT options=PORTRAIT,LANDSCAPE_CC270 keyword=psk:PageOrientation\n"
              "Duplex default=NONE options=NONE,VERTICAL,HORIZONTAL keyword=psk:JobDuplexAllDocumentsContiguously\n"
              "Collate default=OFF options=OFF,ON keyword=psk:DocumentCollate\n"
              "PagesPerSheet default=1 options=1,2,4,6,9,16 keyword=psk:JobNUpAllDocumentsContiguously\n");
}

const char* const kSwitchedDefault = R"GPD(*GPDSpecVersion: "1.0"
*Feature: Finishing
{
    *Option: Off { *Name: "Off" }
    *Option: Edge { *Name: "Edge" }
}
*Feature: OutputBin
{
    *Option: Upper { *Name: "Upper" }
    *Option: Stacker { *Name: "Stacker" }
    *switch: Finishing
    {
        *case: Edge
        {
            *DefaultOption: Stacker
        }
        *default
        {
            *DefaultOption: Upper
        }
    }
}
)GPD";

TEST(PthostFeatures, SwitchedDefaultsFollowTheSelectionsAndUnknownOnesAreRefused) {
    const std::string gpd = ScratchFile("switched.gpd", kSwitchedDefault);
    const Outcome plain = Pthost({"--gpd", gpd, "features"});
    EXPECT_EQ(plain.status, 0) << plain.err;
    EXPECT_NE(plain.out.find("OutputBin default=Upper options=Upper,Stacker keyword=psk:JobOutputBin\n"),
              std::string::npos) << plain.out;
    const Outcome edge = Pthost({"--gpd", gpd, "features", "--option", "Finishing=Edge"});
    EXPECT_EQ(edge.status, 0) << edge.err;
    EXPECT_NE(edge.out.find("OutputBin default=Stacker "), std::string::npos) << edge.out;

    const std::vector<std::pair<std::string, std::string>> refusals = {
        {"Finishing=Staple", "has no option Staple (its options: Off, Edge)"},
        {"Folding=Off", "has no feature Folding (its features: Finishing, OutputBin)"}};
    for (const auto& [choice, message] : refusals) {
        const Outcome refused = Pthost({"--gpd", gpd, "features", "--option=" + choice});
        EXPECT_EQ(refused.status, 2) << choice;
        EXPECT_EQ(refused.out, "");
        EXPECT_NE(refused.err.find(message), std::string::npos) << refused.err;
    }
    const Outcome twice = Pthost({"--gpd", gpd, "features", "--option", "Finishing=Off", "--option", "Finishing=Edge"});
    EXPECT_EQ(twice.status, 2);
    EXPECT_NE(twice.err.find("twice"), std::string::npos) << twice.err;
}

}  // namespace
}  // namespace pthosttest
