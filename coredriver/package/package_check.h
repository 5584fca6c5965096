// The driver package checked against what the plug-in needs: the root GPD as the core driver
// reads it, the plug-in configuration file (.ini) and the INF. Each finding names the place and
// what the plug-in (or the core driver around it) will then do.
#pragma once

#include <gpd/gpd_model.h>
#include <package/sectioned_file.h>

#include <string>
#include <vector>

namespace package {

// The file name under which the package ships the plug-in module, in the .ini and the INF.
inline constexpr const char* kPluginModuleName = "qpplugin.dll";

struct Finding {
    gpd::SourceLocation where;
    std::string problem;
    std::string consequence;  // what the plug-in or the core driver then does
    // "FILE:LINE: problem: consequence"
    std::string Text() const { return where.Text() + ": " + problem + ": " + consequence; }
};

struct Package {
    const gpd::GpdModel& model;
    std::string gpdPath;          // the root GPD, as given
    std::string pluginNamespace;  // what the module's QueryDeviceDefaultNamespace named; empty for E_NOTIMPL
    const SectionedFile* ini = nullptr;  // null when not given
    const SectionedFile* inf = nullptr;  // null when not given
};

// Every finding: the GPD's first (file by file, in reading order), then the .ini's, then the
// INF's, each by line. Empty when the package gives the plug-in all it needs.
std::vector<Finding> CheckPackage(const Package& package);

// The parts, each on its own.
std::vector<Finding> CheckGpd(const Package& package);
std::vector<Finding> CheckIni(const SectionedFile& ini);
std::vector<Finding> CheckInf(const Package& package);

}  // namespace package
