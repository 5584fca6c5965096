// The profiles a measuring run under callgrind left, read back for the report.
#pragma once

#include <map>
#include <string>

namespace qpbench {

// Measurement name to total instructions, for each profile in `directory` that has both.
std::map<std::string, double> ReadProfiles(const std::string& directory);

}  // namespace qpbench
