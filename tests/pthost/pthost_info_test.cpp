// pthost's command line and its info command.
#include "pthost_runner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace pthosttest {
namespace {

size_t Lines(const std::string& text) {
    size_t lines = 0;
    for (const char c : text) lines += c == '\n';
    return lines;
}

TEST(PthostInfo, PrintsWhatTheModuleReportsThroughItsExports) {
    const std::string expected = std::string("signature: QPQP\nversion: 1\ndevmode-size: 12\n") +
                                 "namespace: http://schemas.qpqp.example/qv/2021/04/printing/printticket\n" +
                                 "supported-versions: 1\n";
    const std::string plugin = QP_MODULE_PATH;
    for (const Outcome& outcome :
         {PthostRaw({"info"}), PthostRaw({"--plugin", plugin, "info"}), PthostRaw({"--plugin=" + plugin, "info"})}) {
        EXPECT_EQ(outcome.status, 0) << outcome.err;
        EXPECT_EQ(outcome.out, expected);
        EXPECT_EQ(outcome.err, "");
    }
}

// A module that loads but refuses its objects is no usage error: info names the call and exits 1.
TEST(PthostInfo, AModuleThatRefusesItsObjectsExitsOneNamingTheCall) {
    const Outcome run = PthostRaw({"--plugin", QP_REFUSING_PLUGIN_MODULE, "info"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(Lines(run.err), 1u) << run.err;
    EXPECT_NE(run.err.find("cannot make the UI plug-in: 0x80040111 (CLASS_E_CLASSNOTAVAILABLE)"), std::string::npos)
        << run.err;
}

TEST(PthostInfo, UsageErrorsExitTwoWithOneLine) {
    const std::string absent = testing::TempDir() + "pthost-info-no-such-module.so";
    const std::vector<std::vector<std::string>> cases = {
        {}, {"frobnicate"}, {"--plugin"}, {"--verbose", "info"}, {"info", "extra"}, {"--plugin", absent, "info"}};
    for (const auto& args : cases) {
        const Outcome outcome = PthostRaw(args);
        const std::string shown = args.empty() ? "(none)" : args[0];
        EXPECT_EQ(outcome.status, 2) << shown;
        EXPECT_EQ(outcome.out, "") << shown;
        EXPECT_EQ(Lines(outcome.err), 1u) << shown << ": " << outcome.err;
    }
    EXPECT_NE(PthostRaw({"--plugin", absent, "info"}).err.find(absent), std::string::npos);
}

TEST(PthostInfo, AModuleNamedWithoutASlashIsTheFileInTheWorkingDirectory) {
    const std::string copy = ScratchFile("copy.so", ReadFile(ModulePath()));
    const std::string directory = std::filesystem::path(copy).parent_path();
    const Outcome found = PthostWith({directory, "", ""}, {"--plugin", "copy.so", "info"});
    EXPECT_EQ(found.status, 0) << found.err;
    EXPECT_NE(found.out.find("signature: QPQP"), std::string::npos);

    const Outcome absent = PthostWith({directory, "", ""}, {"--plugin", "absent.so", "info"});
    EXPECT_EQ(absent.status, 2);
    EXPECT_NE(absent.err.find("'absent.so'"), std::string::npos) << absent.err;
}

// /dev/full takes no byte: a command that prints and exits 0 would lose its whole output.
TEST(PthostInfo, EveryCommandFailsWhenStandardOutputCannotBeWritten) {
    const Setting full{"", "/dev/full", ""};
    const std::vector<std::vector<std::string>> commands = {
        {"--help"}, {"info"}, {"info", "--help"}, {"to-ticket", "--help"},
        {"to-ticket", "--option", "Punch=AUTO", ExamplePath("printticket.xml")},
        {"capabilities", ExamplePath("printcapabilities.xml")}};
    for (const auto& args : commands) {
        const Outcome run = PthostWith(full, args);
        EXPECT_EQ(run.status, 2) << args[0];
        EXPECT_NE(run.err.find("cannot write standard output"), std::string::npos) << args[0] << ": " << run.err;
        EXPECT_EQ(Lines(run.err), 1u) << run.err;
    }
}

TEST(PthostInfo, AMissingValueIsNamedInOneStyleAndAGlobalOptionAfterTheCommandIsPlaced) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--plugin"}, "--plugin needs PATH"},
        {{"--plugin=", "info"}, "--plugin needs PATH"},
        {{"to-ticket", "-o"}, "-o needs OUT"},
        {{"to-ticket", "-o", "", "x.xml"}, "-o needs OUT"},
        {{"capabilities", "--option"}, "--option needs FEATURE=OPTION"},
        {{"to-ticket", "--plugin", ModulePath(), "x.xml"}, "--plugin goes before the command"},
        {{"info", "--plugin=" + ModulePath()}, "--plugin goes before the command"},
    };
    for (const auto& [args, message] : cases) {
        const Outcome run = PthostRaw(args);
        EXPECT_EQ(run.status, 2) << message;
        EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
        EXPECT_EQ(Lines(run.err), 1u) << run.err;
    }
}

TEST(PthostInfo, HelpListsInfo) {
    const Outcome tool = PthostRaw({"--help"});
    EXPECT_EQ(tool.status, 0);
    EXPECT_NE(tool.out.find("info"), std::string::npos);
    const Outcome help = PthostRaw({"info", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("usage: pthost [--plugin PATH] info", 0), 0u) << help.out;
}

}  // namespace
}  // namespace pthosttest
