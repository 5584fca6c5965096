#include "gpd_commands.h"

#include <iostream>

namespace pthost {

bool ReadGpd(const std::string& command, const GlobalOptions& global, gpd::GpdModel& model) {
    if (global.gpdPath.empty()) {
        UsageError(command, "needs the GPD: pthost --gpd FILE " + command + " ...");
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

}  // namespace pthost
