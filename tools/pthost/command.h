// pthost's commands: each runs with the plug-in module's path and the arguments that follow the
// command's name, reports on standard output and standard error, and returns the exit status.
#pragma once

#include <string>
#include <vector>

namespace pthost {

// Exit statuses common to every command.
inline constexpr int kExitSucceeded = 0;
inline constexpr int kExitPluginFailed = 1;  // the plug-in returned a failure
inline constexpr int kExitUsage = 2;         // usage, input, or a module that cannot be loaded

using CommandFunction = int (*)(const std::string& modulePath, const std::vector<std::string>& args);

struct Command {
    const char* name;
    const char* arguments;  // what follows the name in the usage line
    const char* summary;    // one line for the command list
    CommandFunction run;
};

// The whole command line after the program's name: dispatches to the command and returns the
// exit status.
int Main(const std::vector<std::string>& args);

#ifdef _WIN32
// Windows hands the arguments over as UTF-16; the commands work in UTF-8. Skips the program's
// own name.
std::vector<std::string> Utf8Arguments(int argc, wchar_t** argv);
#endif

// info: what the plug-in says about itself through its exports.
int RunInfo(const std::string& modulePath, const std::vector<std::string>& args);

}  // namespace pthost
