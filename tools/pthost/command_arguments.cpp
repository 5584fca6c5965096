#include "command_arguments.h"

#include "command.h"

#include <iostream>

namespace pthost {

int UsageError(const std::string& command, const std::string& message) {
    std::cerr << "pthost " << command << ": " << message << " (see pthost " << command << " --help)\n";
    return kExitUsage;
}

int CannotRun(const std::string& message) {
    std::cerr << (message.rfind("pthost", 0) == 0 ? "" : "pthost: ") << message << "\n";
    return kExitUsage;
}

bool OptionValue(const std::vector<std::string>& args, size_t& i, const std::string& name, std::string& value,
                 std::string& error) {
    const std::string& arg = args[i];
    if (arg == name) {
        value = i + 1 < args.size() ? args[++i] : std::string();
    } else if (arg.rfind(name + "=", 0) == 0) {
        value = arg.substr(name.size() + 1);
    } else {
        return false;
    }
    if (value.empty()) error = name + " needs " + (name == "--option" ? "FEATURE=OPTION" : "FILE");
    return error.empty();
}

bool AddSelection(const std::string& value, gpd::Selections& selections, std::string& error) {
    const size_t equals = value.find('=');
    if (equals == std::string::npos || equals == 0 || equals + 1 == value.size()) {
        error = "--option needs FEATURE=OPTION, got '" + value + "'";
        return false;
    }
    const std::string feature = value.substr(0, equals);
    if (!selections.emplace(feature, value.substr(equals + 1)).second) {
        error = "--option selects the feature '" + feature + "' twice";
        return false;
    }
    return true;
}

bool TakeSelectionArgument(const std::vector<std::string>& args, size_t& i, bool takesOutput,
                           SelectionArguments& arguments, std::string& error) {
    const std::string& arg = args[i];
    if (arg == "-h" || arg == "--help") {
        arguments.help = true;
        return true;
    }
    if (takesOutput && arg == "-o") {
        if (i + 1 == args.size() || args[i + 1].empty()) {
            error = "-o needs OUT";
            return false;
        }
        const std::string& output = args[++i];
        arguments.output = output == "-" ? std::string() : output;
        return true;
    }
    std::string value;
    return OptionValue(args, i, "--option", value, error) && AddSelection(value, arguments.chosen, error);
}

}  // namespace pthost
