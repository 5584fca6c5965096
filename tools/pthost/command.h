// pthost's commands: each runs with the options given before the command's name and the
// arguments that follow it, reports on standard output and standard error, and returns the exit
// status.
#pragma once

#include <string>
#include <vector>

namespace pthost {

// Exit statuses common to every command.
inline constexpr int kExitSucceeded = 0;
inline constexpr int kExitPluginFailed = 1;  // the plug-in returned a failure
inline constexpr int kExitUsage = 2;         // usage, input, output, or a module that cannot be loaded

// The options that go before the command's name.
struct GlobalOptions {
    std::string modulePath;
    std::string gpdPath;  // empty: no GPD, the selections are the --option ones alone
    std::vector<std::string> defines;  // preprocessor symbols for the GPD, besides the core driver's
};

using CommandFunction = int (*)(const GlobalOptions& global, const std::vector<std::string>& args);

struct Command {
    const char* name;
    const char* arguments;  // what follows the name in the usage line
    const char* summary;    // one line for the command list
    CommandFunction run;
};

// The whole command line after the program's name: dispatches to the command and returns the
// exit status, 2 when standard output could not be written.
int Main(const std::vector<std::string>& args);

#ifdef _WIN32
// Windows hands the arguments over as UTF-16; the commands work in UTF-8. Skips the program's
// own name.
std::vector<std::string> Utf8Arguments(int argc, wchar_t** argv);
#endif

// When `arg` is one of the options that go before the command (--plugin, --gpd, --define), the message
// that says so for `command`; otherwise empty.
std::string MisplacedGlobalOption(const std::string& arg, const std::string& command);

// info: what the plug-in says about itself through its exports.
int RunInfo(const GlobalOptions& global, const std::vector<std::string>& args);

// document: the PrintCapabilities or PrintTicket the core driver builds from the GPD.
int RunDocument(const GlobalOptions& global, const std::vector<std::string>& args);

}  // namespace pthost
