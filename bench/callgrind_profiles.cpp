#include "callgrind_profiles.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace qpbench {
namespace {

// The measurement name and total instruction count of one callgrind profile.
bool ReadProfile(const std::filesystem::path& path, std::string& name, double& instructions) {
    std::ifstream in(path);
    const std::string trigger = "desc: Trigger: Client Request: ";
    bool hasName = false;
    bool hasTotal = false;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(trigger, 0) == 0) {
            name = line.substr(trigger.size());
            hasName = true;
        } else if (line.rfind("summary: ", 0) == 0 || line.rfind("totals: ", 0) == 0) {
            instructions = std::atof(line.c_str() + line.find(' ') + 1);
            hasTotal = true;
        }
    }
    return hasName && hasTotal;
}

}  // namespace

std::map<std::string, double> ReadProfiles(const std::string& directory) {
    std::map<std::string, double> measured;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
        std::string name;
        double instructions = 0;
        if (ReadProfile(entry.path(), name, instructions)) measured[name] = instructions;
    }
    return measured;
}

}  // namespace qpbench
