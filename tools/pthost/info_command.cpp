// pthost info: loads the module through its two exports, makes the UI plug-in and the Print
// Ticket provider through the class factory, and prints what they report about themselves.
#include "command.h"
#include <session/text_codec.h>

#include <platform/com_ptr.h>
#include <platform/hresult_flow.h>
#include <session/loaded_module.h>

#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

using qp::Bstr;
using qp::CoTaskMemPtr;
using qp::ComPtr;

using namespace coredriver;

namespace pthost {
namespace {

struct PluginInfo {
    DWORD signature = 0;
    DWORD version = 0;
    DWORD devmodeSize = 0;
    std::string namespaceUri;
    std::vector<INT> versions;
};

// Runs the plug-in's calls in turn and remembers the name of the first that fails.
class InfoReader {
public:
    explicit InfoReader(const LoadedModule& module) : module_(module) {}

    HRESULT Read(PluginInfo& info) {
        RETURN_IF_FAILED(ReadUiPlugin(info));
        return ReadProvider(info);
    }
    const char* FailedCall() const { return failedCall_; }

private:
    HRESULT Step(const char* call, HRESULT hr) {
        if (FAILED(hr)) failedCall_ = call;
        return hr;
    }

    template <class T>
    HRESULT CreateObject(REFCLSID clsid, REFIID iid, ComPtr<T>& object) {
        ComPtr<IClassFactory> factory;
        RETURN_IF_FAILED(
            Step("DllGetClassObject", module_.GetClassObject(clsid, IID_IClassFactory, factory.put_void())));
        return Step("IClassFactory::CreateInstance", factory->CreateInstance(nullptr, iid, object.put_void()));
    }

    HRESULT GetInfoValue(IPrintOemUI2* ui, DWORD mode, const char* call, DWORD& value) {
        DWORD needed = 0;
        return Step(call, ui->GetInfo(mode, &value, sizeof value, &needed));
    }

    HRESULT ReadUiPlugin(PluginInfo& info) {
        ComPtr<IPrintOemUI2> ui;
        RETURN_IF_FAILED(CreateObject(CLSID_OEMUI, IID_IPrintOemUI2, ui));
        RETURN_IF_FAILED(GetInfoValue(ui.get(), OEMGI_GETSIGNATURE, "GetInfo(OEMGI_GETSIGNATURE)", info.signature));
        RETURN_IF_FAILED(GetInfoValue(ui.get(), OEMGI_GETVERSION, "GetInfo(OEMGI_GETVERSION)", info.version));
        OEMDMPARAM sizing{};
        sizing.cbSize = sizeof sizing;
        RETURN_IF_FAILED(Step("DevMode(OEMDM_SIZE)", ui->DevMode(OEMDM_SIZE, &sizing)));
        info.devmodeSize = sizing.cbBufSize;
        return S_OK;
    }

    HRESULT ReadProvider(PluginInfo& info) {
        ComPtr<IPrintOemPrintTicketProvider> provider;
        RETURN_IF_FAILED(CreateObject(CLSID_OEMPTPROVIDER, IID_IPrintOemPrintTicketProvider, provider));
        Bstr uri;
        RETURN_IF_FAILED(Step("QueryDeviceDefaultNamespace", provider->QueryDeviceDefaultNamespace(uri.put())));
        // The recorded length counts the terminator: the text ends at the first NUL.
        const WCHAR* text = uri ? uri.get() : W("");
        info.namespaceUri = EncodeUtf8(text, WStrLen(text));

        INT* versions = nullptr;
        INT count = 0;
        RETURN_IF_FAILED(
            Step("GetSupportedVersions", provider->GetSupportedVersions(nullptr, &versions, &count)));
        const CoTaskMemPtr<INT> owned(versions);
        info.versions.assign(versions, versions + (count > 0 ? count : 0));
        return S_OK;
    }

    const LoadedModule& module_;
    const char* failedCall_ = "";
};

// The four signature bytes, first at the lowest address.
std::string SignatureText(DWORD signature) {
    std::string text;
    for (int i = 0; i < 4; ++i) text += static_cast<char>((signature >> (8 * i)) & 0xFF);
    return text;
}

void Print(const PluginInfo& info) {
    std::cout << "signature: " << SignatureText(info.signature) << "\n"
              << "version: " << info.version << "\n"
              << "devmode-size: " << info.devmodeSize << "\n"
              << "namespace: " << info.namespaceUri << "\n"
              << "supported-versions: ";
    for (size_t i = 0; i < info.versions.size(); ++i) std::cout << (i ? ", " : "") << info.versions[i];
    std::cout << "\n";
}

constexpr const char* kHelp =
    "usage: pthost [--plugin PATH] info\n"
    "\n"
    "Prints, one 'key: value' per line, the signature, version and DEVMODE section size of the\n"
    "UI plug-in, and the namespace and supported versions of the Print Ticket provider, all read\n"
    "from the module through its exports.\n";

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
        std::cerr << "pthost info: --gpd is for the conversion commands; info asks the module only\n";
        return kExitUsage;
    }
    std::string error;
    const std::unique_ptr<LoadedModule> module = LoadedModule::Load(global.modulePath, error);
    if (!module) {
        std::cerr << "pthost: " << error << "\n";
        return kExitUsage;
    }

    PluginInfo info;
    InfoReader reader(*module);
    if (const HRESULT hr = reader.Read(info); FAILED(hr)) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(hr));
        std::cerr << "pthost info: " << reader.FailedCall() << " returned " << code << "\n";
        return kExitPluginFailed;
    }
    Print(info);
    return kExitSucceeded;
}

}  // namespace pthost
