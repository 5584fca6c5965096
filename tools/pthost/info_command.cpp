// pthost info: sets the module up as the core driver does when it opens a queue (the UI plug-in,
// then the provider: GetSupportedVersions, BindPrinter, QueryDeviceDefaultNamespace) and prints
// what the two objects report about themselves.
#include "command.h"

#include <session/core_driver_session.h>
#include <session/hresult_text.h>
#include <session/loaded_module.h>

#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace pthost {
namespace {

// One GetInfo answer of the UI plug-in; false with the failing call named in `error`.
bool InfoValue(IPrintOemUI2* ui, DWORD mode, const char* call, DWORD& value, std::string& error) {
    DWORD needed = 0;
    const HRESULT hr = ui->GetInfo(mode, &value, sizeof value, &needed);
    if (SUCCEEDED(hr)) return true;
    error = std::string(call) + " returned " + DescribeHResult(hr);
    return false;
}

// The four signature bytes, first at the lowest address.
std::string SignatureText(DWORD signature) {
    std::string text;
    for (int i = 0; i < 4; ++i) text += static_cast<char>((signature >> (8 * i)) & 0xFF);
    return text;
}

std::string NamespaceText(const CoreDriverSession& session) {
    if (!session.DefaultNamespace().empty()) return session.DefaultNamespace();
    return "none (QueryDeviceDefaultNamespace returned E_NOTIMPL: the core driver's own namespace)";
}

bool PrintInfo(CoreDriverSession& session, std::string& error) {
    DWORD signature = 0;
    DWORD version = 0;
    IPrintOemUI2* ui = session.UiPlugin();
    if (!InfoValue(ui, OEMGI_GETSIGNATURE, "GetInfo(OEMGI_GETSIGNATURE)", signature, error) ||
        !InfoValue(ui, OEMGI_GETVERSION, "GetInfo(OEMGI_GETVERSION)", version, error)) {
        return false;
    }
    std::cout << "signature: " << SignatureText(signature) << "\n"
              << "version: " << version << "\n"
              << "devmode-size: " << session.DevMode().PrivateSize() << "\n"
              << "namespace: " << NamespaceText(session) << "\n"
              << "supported-versions: ";
    const std::vector<INT>& versions = session.SupportedVersions();
    for (size_t i = 0; i < versions.size(); ++i) std::cout << (i ? ", " : "") << versions[i];
    std::cout << "\n";
    return true;
}

constexpr const char* kHelp =
    "usage: pthost [--plugin PATH] info\n"
    "\n"
    "Sets the module up as the core driver does when it opens a printer (the UI plug-in and its\n"
    "DEVMODE section, then the Print Ticket provider: GetSupportedVersions, BindPrinter,\n"
    "QueryDeviceDefaultNamespace) and prints, one 'key: value' per line, the UI plug-in's\n"
    "signature, version and DEVMODE section size, and the provider's default namespace and\n"
    "supported versions.\n"
    "\n"
    "Exit status: 0 when every call succeeded; 1 when one of the module's calls failed;\n"
    "2 when the module cannot be loaded or the command line is wrong.\n";

}  // namespace

int RunInfo(const GlobalOptions& global, const std::vector<std::string>& args) {
    if (!args.empty() && (args[0] == "-h" || args[0] == "--help")) {
        std::cout << kHelp;
        return kExitSucceeded;
    }
    if (!args.empty()) {
        const std::string misplaced = MisplacedGlobalOption(args[0], "info");
        std::cerr << "pthost info: " << (misplaced.empty() ? "unexpected argument '" + args[0] + "'" : misplaced)
                  << " (see pthost info --help)\n";
        return kExitUsage;
    }
    if (!global.gpdPath.empty()) {
        std::cerr << "pthost info: --gpd is for the commands that read a GPD; info asks the module only\n";
        return kExitUsage;
    }
    std::string error;
    const std::unique_ptr<LoadedModule> module = LoadedModule::Load(global.modulePath, error);
    if (!module) {
        std::cerr << "pthost: " << error << "\n";
        return kExitUsage;
    }
    std::unique_ptr<CoreDriverSession> session = CoreDriverSession::Open(*module, CoreHelperStub::Create(), error);
    if (!session || !PrintInfo(*session, error)) {
        std::cerr << "pthost info: " << error << "\n";
        return kExitPluginFailed;
    }
    return kExitSucceeded;
}

}  // namespace pthost
