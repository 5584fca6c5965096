// Loading a module as the core driver does, and the DEVMODE buffer the UI plug-in sizes and fills.
#include "support/ledger_check.h"

#include <session/devmode_buffer.h>
#include <session/loaded_module.h>

#include <platform/com_ptr.h>

#include <cstring>

using qp::ComPtr;

namespace {

class LoadedModuleTest : public LedgerTest {};

TEST_F(LoadedModuleTest, AMissingFileIsOneLineNamingThePath) {
    std::string error;
    EXPECT_EQ(LoadedModule::Load("/nonexistent/dir/libqpplugin.so", error), nullptr);
    EXPECT_NE(error.find("'/nonexistent/dir/libqpplugin.so'"), std::string::npos) << error;
    EXPECT_NE(error.find("No such file"), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos);
}

TEST_F(LoadedModuleTest, ALibraryWithoutTheExportsNamesWhatIsMissing) {
    std::string error;
    EXPECT_EQ(LoadedModule::Load(QP_NO_EXPORTS_MODULE, error), nullptr);
    EXPECT_EQ(error, std::string("plug-in module '") + QP_NO_EXPORTS_MODULE +
                         "' does not export DllGetClassObject and DllCanUnloadNow");

    EXPECT_EQ(LoadedModule::Load(QP_ONE_EXPORT_MODULE, error), nullptr);
    EXPECT_EQ(error, std::string("plug-in module '") + QP_ONE_EXPORT_MODULE + "' does not export DllGetClassObject");
}

TEST_F(LoadedModuleTest, TheBuiltModuleLoadsThroughItsTwoExports) {
    std::string error;
    std::unique_ptr<LoadedModule> module = LoadedModule::Load(QP_MODULE_PATH, error);
    ASSERT_NE(module, nullptr) << error;
    EXPECT_EQ(module->CanUnloadNow(), S_OK);
    EXPECT_EQ(ModuleBesideExecutable().rfind("/libqpplugin.so"), ModuleBesideExecutable().size() - 15);
}

// A UI plug-in that reports a chosen section size and fills the section with a pattern.
class SizingPlugin final : public IPrintOemUI2 {
public:
    explicit SizingPlugin(DWORD size) : size_(size) {}

    HRESULT STDMETHODCALLTYPE DevMode(DWORD mode, POEMDMPARAM params) override {
        if (mode == OEMDM_SIZE) {
            params->cbBufSize = size_;
            return S_OK;
        }
        defaultParams = *params;
        if (mode == OEMDM_DEFAULT && defaultResult == S_OK) std::memset(params->pOEMDMOut, 0xA5, params->cbBufSize);
        return defaultResult;
    }

    HRESULT defaultResult = S_OK;
    OEMDMPARAM defaultParams{};

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOTIMPL; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetInfo(DWORD, PVOID, DWORD, PDWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE PublishDriverInterface(IUnknown*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CommonUIProp(DWORD, POEMCUIPPARAM) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DocumentPropertySheets(PPROPSHEETUI_INFO, LPARAM) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DevicePropertySheets(PPROPSHEETUI_INFO, LPARAM) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DevQueryPrintEx(POEMUIOBJ, PDEVQUERYPRINT_INFO, PDEVMODE, PVOID) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE DeviceCapabilities(POEMUIOBJ, HANDLE, PWSTR, WORD, PVOID, PDEVMODE, PVOID, DWORD,
                                                 DWORD*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE UpgradePrinter(DWORD, PBYTE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE PrinterEvent(PWSTR, INT, DWORD, LPARAM) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DriverEvent(DWORD, DWORD, LPBYTE, LPARAM) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryColorProfile(HANDLE, POEMUIOBJ, PDEVMODE, PVOID, ULONG, VOID*, ULONG*,
                                                FLONG*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE FontInstallerDlgProc(HWND, UINT, WPARAM, LPARAM) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE UpdateExternalFonts(HANDLE, HANDLE, PWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryJobAttributes(HANDLE, PDEVMODE, DWORD, LPBYTE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE HideStandardUI(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DocumentEvent(HANDLE, HDC, INT, ULONG, PVOID, ULONG, PVOID, PINT) override {
        return E_NOTIMPL;
    }

private:
    DWORD size_;
};

class DevModeBufferTest : public LedgerTest {};

TEST_F(DevModeBufferTest, LaysOutThePublicPartAndLetsThePluginFillItsSection) {
    SizingPlugin plugin(20);
    DevModeBuffer buffer;
    ASSERT_EQ(buffer.Make(&plugin), S_OK);
    EXPECT_EQ(buffer.Size(), sizeof(DEVMODEW) + 20);
    EXPECT_EQ(buffer.DevMode()->dmSize, sizeof(DEVMODEW));
    EXPECT_EQ(buffer.DevMode()->dmSpecVersion, DM_SPECVERSION);
    EXPECT_EQ(buffer.DevMode()->dmDriverExtra, 20);
    EXPECT_EQ(plugin.defaultParams.pOEMDMOut, buffer.PrivateSection());
    EXPECT_EQ(plugin.defaultParams.pPublicDMOut, buffer.DevMode());
    EXPECT_EQ(plugin.defaultParams.cbBufSize, 20u);
    EXPECT_EQ(plugin.defaultParams.pOEMDMIn, nullptr);
    EXPECT_EQ(static_cast<unsigned char*>(buffer.PrivateSection())[19], 0xA5);
}

TEST_F(DevModeBufferTest, PassesOnThePluginsFailureAndRefusesAnOversizedSection) {
    SizingPlugin failing(12);
    failing.defaultResult = E_FAIL;
    DevModeBuffer buffer;
    EXPECT_EQ(buffer.Make(&failing), E_FAIL);
    EXPECT_EQ(buffer.Size(), sizeof(DEVMODEW)) << "unchanged on failure";

    SizingPlugin oversized(0x10000);
    EXPECT_EQ(buffer.Make(&oversized), E_INVALIDARG);
}

TEST_F(DevModeBufferTest, TheBuiltUiPluginSizesAndSignsItsSection) {
    std::string error;
    std::unique_ptr<LoadedModule> module = LoadedModule::Load(QP_MODULE_PATH, error);
    ASSERT_NE(module, nullptr) << error;
    {
        ComPtr<IClassFactory> factory;
        ASSERT_EQ(module->GetClassObject(CLSID_OEMUI, IID_IClassFactory, factory.put_void()), S_OK);
        ComPtr<IPrintOemUI2> plugin;
        ASSERT_EQ(factory->CreateInstance(nullptr, IID_IPrintOemUI2, plugin.put_void()), S_OK);
        DevModeBuffer buffer;
        ASSERT_EQ(buffer.Make(plugin.get()), S_OK);
        ASSERT_EQ(buffer.PrivateSize(), sizeof(OEM_DMEXTRAHEADER));
        OEM_DMEXTRAHEADER header;
        std::memcpy(&header, buffer.PrivateSection(), sizeof header);
        EXPECT_EQ(header.dwSize, sizeof(OEM_DMEXTRAHEADER));
        EXPECT_EQ(std::memcmp(&header.dwSignature, "QPQP", 4), 0);
        EXPECT_EQ(header.dwVersion, 1u);
    }
    EXPECT_EQ(module->CanUnloadNow(), S_OK);
}

}  // namespace
