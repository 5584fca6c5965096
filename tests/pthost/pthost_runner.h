// Runs the built pthost as a separate process with the built module, and keeps its exit
// status, standard output and standard error.
#pragma once

#include <string>
#include <vector>

namespace pthosttest {

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

// How to run pthost beyond its arguments and standard input.
struct Setting {
    std::string directory;  // the working directory; empty: the test's own
    std::string output;     // where standard output goes; empty: kept in Outcome::out
    std::string shell;      // shell commands run before pthost in its shell, e.g. "ulimit -f 1"
};

// pthost ARGS... exactly as given, with `input` on standard input, as `setting` says.
Outcome PthostWith(const Setting& setting, const std::vector<std::string>& args, const std::string& input = "");
// pthost --plugin <module> ARGS..., with `input` on standard input.
Outcome Pthost(const std::vector<std::string>& args, const std::string& input = "");
// pthost ARGS... exactly as given (no --plugin added).
Outcome PthostRaw(const std::vector<std::string>& args, const std::string& input = "");

// A file in a fresh scratch directory holding `contents`; its path.
std::string ScratchFile(const std::string& name, const std::string& contents);
std::string ReadFile(const std::string& path);

std::string ExamplePath(const std::string& name);
// The built plug-in module.
std::string ModulePath();

}  // namespace pthosttest
