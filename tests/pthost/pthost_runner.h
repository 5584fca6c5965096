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

// pthost --plugin <module> ARGS..., with `input` on standard input.
Outcome Pthost(const std::vector<std::string>& args, const std::string& input = "");
// pthost ARGS... exactly as given (no --plugin added).
Outcome PthostRaw(const std::vector<std::string>& args, const std::string& input = "");

// A file in a fresh scratch directory holding `contents`; its path.
std::string ScratchFile(const std::string& name, const std::string& contents);
std::string ReadFile(const std::string& path);

std::string ExamplePath(const std::string& name);

}  // namespace pthosttest
