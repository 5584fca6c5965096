// The commands that run one conversion of the Print Ticket provider on a document:
// to-ticket, to-devmode and capabilities.
#pragma once

#include "command.h"

#include <string>
#include <vector>

namespace pthost {

// What follows each command's name in its usage line.
inline constexpr const char* kConversionArguments = "[--option FEATURE=OPTION]... [-o OUT] [--diff] [FILE]";

// Each runs its conversion with the global options' module on the arguments that follow the
// command's name, and returns the exit status.
int RunToTicket(const GlobalOptions& global, const std::vector<std::string>& args);
int RunToDevMode(const GlobalOptions& global, const std::vector<std::string>& args);
int RunCapabilities(const GlobalOptions& global, const std::vector<std::string>& args);

}  // namespace pthost
