#include "gpd_commands.h"

#include <iostream>

namespace pthost {

bool ReadGpd(const std::string& command, const GlobalOptions& global, gpd::GpdModel& model) {
    if (global.gpdPath.empty()) {
        std::cerr << "pthost " << command << ": needs the GPD: pthost --gpd FILE " << command << " ... (see pthost "
                  << command << " --help)\n";
        return false;
    }
    gpd::ReadOptions options;
    options.defines = global.defines;
    std::string error;
    if (!gpd::GpdModel::Read(global.gpdPath, options, model, error)) {
        std::cerr << error << "\n";
        return false;
    }
    for (const gpd::Diagnostic& warning : model.Warnings()) std::cerr << "pthost: warning: " << warning.Text() << "\n";
    return true;
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

}  // namespace pthost
