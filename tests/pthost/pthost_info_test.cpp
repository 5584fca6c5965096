// pthost's command line and its info command.
#include "pthost_runner.h"

#include <gtest/gtest.h>

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
