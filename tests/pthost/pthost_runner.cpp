#include "pthost_runner.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace pthosttest {
namespace {

std::string Quote(const std::string& arg) {
    std::string quoted = "'";
    for (char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string ScratchDirectory() {
    static int counter = 0;
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    // The process id keeps two test runs on one machine (several build trees) apart.
    std::string dir = ::testing::TempDir() + "pthost_" + (test ? test->name() : "x") + "_" +
                      std::to_string(getpid()) + "_" + std::to_string(++counter);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

}  // namespace

std::string ScratchFile(const std::string& name, const std::string& contents) {
    const std::string path = ScratchDirectory() + "/" + name;
    std::ofstream(path, std::ios::binary) << contents;
    return path;
}

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string ExamplePath(const std::string& name) { return std::string(QP_SOURCE_DIR) + "/examples/" + name; }

std::string ModulePath() { return QP_MODULE_PATH; }

Outcome PthostWith(const Setting& setting, const std::vector<std::string>& args, const std::string& input) {
    const std::string dir = ScratchDirectory();
    std::ofstream(dir + "/stdin", std::ios::binary) << input;
    std::string command;
    if (!setting.directory.empty()) command.append("cd ").append(Quote(setting.directory)).append(" && ");
    if (!setting.shell.empty()) command.append(setting.shell).append(" && exec ");
    command.append(Quote(std::string(QP_BIN_DIR) + "/pthost"));
    // Appended piece by piece: gcc 12 at -O3 misreads `" " + string` as an overlapping copy.
    for (const std::string& arg : args) command.append(" ").append(Quote(arg));
    command.append(" <").append(Quote(dir + "/stdin"));
    command.append(" >").append(Quote(setting.output.empty() ? dir + "/stdout" : setting.output));
    command.append(" 2>").append(Quote(dir + "/stderr"));
    const int raw = std::system(command.c_str());
    Outcome run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    if (setting.output.empty()) run.out = ReadFile(dir + "/stdout");
    run.err = ReadFile(dir + "/stderr");
    return run;
}

Outcome PthostRaw(const std::vector<std::string>& args, const std::string& input) {
    return PthostWith(Setting{}, args, input);
}

Outcome Pthost(const std::vector<std::string>& args, const std::string& input) {
    std::vector<std::string> all = {"--plugin", QP_MODULE_PATH};
    all.insert(all.end(), args.begin(), args.end());
    return PthostRaw(all, input);
}

}  // namespace pthosttest
