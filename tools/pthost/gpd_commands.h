// The commands that read the GPD as the core driver does: features, which prints it, and check,
// which checks the driver package around the plug-in.
#pragma once

#include "command.h"
#include "command_arguments.h"

#include <gpd/gpd_model.h>

#include <string>
#include <vector>

namespace pthost {

inline constexpr const char* kFeaturesArguments = "[--option FEATURE=OPTION]...";
inline constexpr const char* kCheckArguments = "[--ini FILE] [--inf FILE]";
// check's status when it found something.
inline constexpr int kExitFound = 1;

int RunFeatures(const GlobalOptions& global, const std::vector<std::string>& args);
int RunCheck(const GlobalOptions& global, const std::vector<std::string>& args);

// Reads the --gpd file with the --define symbols; its warnings go to standard error as
// "pthost: warning: FILE:LINE: message". False once the reason (no --gpd, a fault) is reported.
bool ReadGpd(const std::string& command, const GlobalOptions& global, gpd::GpdModel& model);

}  // namespace pthost
