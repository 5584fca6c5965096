// pthost check: the driver package against what the plug-in needs. pthost reads the files and
// asks the module for its namespace; the findings come from the core driver's package check.
#include "gpd_commands.h"

#include <package/package_check.h>
#include <session/core_driver_session.h>
#include <session/loaded_module.h>

#include <iostream>
#include <memory>
#include <optional>

namespace pthost {
namespace {

constexpr const char* kHelp =
    "usage: pthost [--plugin PATH] --gpd FILE [--define SYMBOL]... check [--ini FILE] [--inf FILE]\n"
    "\n"
    "Checks the driver package against what the plug-in needs: the root GPD as the core driver\n"
    "reads it (XPSDrv mode, the N-up feature, the private namespace, the features the plug-in\n"
    "moves or reads and their options, a selection command on every option), the plug-in\n"
    "configuration file (.ini) and the INF. Prints one line per finding:\n"
    "  FILE:LINE: what is wrong: what the plug-in or the core driver will then do\n"
    "The plug-in's namespace is what the module's QueryDeviceDefaultNamespace names.\n"
    "\n"
    "  --ini FILE   the plug-in configuration file (its [OEMFiles] section)\n"
    "  --inf FILE   the driver's INF\n"
    "  -h, --help   show this help\n"
    "\n"
    "Exit status: 0 when nothing is found; 1 when something is; 2 when a file cannot be read, the\n"
    "module cannot be set up, or the command line is wrong.\n";

struct Request {
    std::string ini;
    std::string inf;
    bool help = false;
};

bool ParseRequest(const std::vector<std::string>& args, Request& request, std::string& error) {
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-h" || args[i] == "--help") {
            request.help = true;
            continue;
        }
        if (OptionValue(args, i, "--ini", request.ini, error) || OptionValue(args, i, "--inf", request.inf, error)) {
            continue;
        }
        if (error.empty()) error = MisplacedGlobalOption(args[i], "check");
        if (error.empty()) error = "unexpected argument '" + args[i] + "'";
        return false;
    }
    return true;
}

// The namespace the module names as its default; nullopt once the reason is reported.
std::optional<std::string> PluginNamespace(const GlobalOptions& global) {
    std::string error;
    const std::unique_ptr<LoadedModule> module = LoadedModule::Load(global.modulePath, error);
    if (!module) {
        std::cerr << "pthost: " << error << "\n";
        return std::nullopt;
    }
    const std::unique_ptr<CoreDriverSession> session = CoreDriverSession::Open(*module, CoreHelperStub::Create(), error);
    if (!session) {
        std::cerr << "pthost check: " << error << "\n";
        return std::nullopt;
    }
    return session->DefaultNamespace();
}

// Reads the file at `path` when one is given; false once the reason is reported.
bool ReadIfGiven(const std::string& path, package::SectionedFile::Syntax syntax,
                 std::optional<package::SectionedFile>& file) {
    if (path.empty()) return true;
    std::string error;
    file.emplace();
    if (package::SectionedFile::Read(path, syntax, *file, error)) return true;
    std::cerr << "pthost: " << error << "\n";
    return false;
}

}  // namespace

int RunCheck(const GlobalOptions& global, const std::vector<std::string>& args) {
    Request request;
    std::string error;
    if (!ParseRequest(args, request, error)) return UsageError("check", error);
    if (request.help) {
        std::cout << kHelp;
        return kExitSucceeded;
    }
    gpd::GpdModel model;
    std::optional<package::SectionedFile> ini;
    std::optional<package::SectionedFile> inf;
    if (!ReadIfGiven(request.ini, package::SectionedFile::Syntax::Ini, ini) ||
        !ReadIfGiven(request.inf, package::SectionedFile::Syntax::Inf, inf) || !ReadGpd("check", global, model)) {
        return kExitUsage;
    }
    const std::optional<std::string> pluginNamespace = PluginNamespace(global);
    if (!pluginNamespace) return kExitUsage;

    const package::Package checked{model, global.gpdPath, *pluginNamespace, ini ? &*ini : nullptr,
                                   inf ? &*inf : nullptr};
    const std::vector<package::Finding> findings = package::CheckPackage(checked);
    for (const package::Finding& finding : findings) std::cout << finding.Text() << "\n";
    if (findings.empty()) std::cout << "pthost check: nothing found\n";
    return findings.empty() ? kExitSucceeded : kExitFound;
}

}  // namespace pthost
