// The UI plug-in: identifies the module to the core driver, sizes and fills the private DEVMODE
// section (one OEM_DMEXTRAHEADER and nothing after it) and keeps the interfaces the core driver
// publishes to it. Every other UI call is declined or accepted without effect.
#pragma once

#include <platform/com_ptr.h>
#include "server/server_object.h"

namespace qp {

// Size of the plug-in's private DEVMODE section.
inline constexpr DWORD kDevModeSectionSize = sizeof(OEM_DMEXTRAHEADER);

class DriverUIPlugin final : public ServerObject<DriverUIPlugin, IPrintOemUI2> {
public:
    DriverUIPlugin() noexcept = default;
    ~DriverUIPlugin();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;

    // Failures are E_FAIL with a thread last-error code.
    HRESULT STDMETHODCALLTYPE GetInfo(DWORD dwMode, PVOID pBuffer, DWORD cbSize, PDWORD pcbNeeded) override;
    HRESULT STDMETHODCALLTYPE DevMode(DWORD dwMode, POEMDMPARAM pOemDMParam) override;
    // Takes IPrintCoreHelper first, then IPrintOemDriverUI: at most one per call.
    HRESULT STDMETHODCALLTYPE PublishDriverInterface(IUnknown* pIUnknown) override;

    HRESULT STDMETHODCALLTYPE CommonUIProp(DWORD dwMode, POEMCUIPPARAM pOemCUIPParam) override;
    HRESULT STDMETHODCALLTYPE DocumentPropertySheets(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam) override;
    HRESULT STDMETHODCALLTYPE DevicePropertySheets(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam) override;
    HRESULT STDMETHODCALLTYPE DevQueryPrintEx(POEMUIOBJ poemuiobj, PDEVQUERYPRINT_INFO pDQPInfo, PDEVMODE pPublicDM,
                                              PVOID pOEMDM) override;
    HRESULT STDMETHODCALLTYPE DeviceCapabilities(POEMUIOBJ poemuiobj, HANDLE hPrinter, PWSTR pDeviceName,
                                                 WORD wCapability, PVOID pOutput, PDEVMODE pPublicDM, PVOID pOEMDM,
                                                 DWORD dwOld, DWORD* dwResult) override;
    HRESULT STDMETHODCALLTYPE UpgradePrinter(DWORD dwLevel, PBYTE pDriverUpgradeInfo) override;
    HRESULT STDMETHODCALLTYPE PrinterEvent(PWSTR pPrinterName, INT iDriverEvent, DWORD dwFlags,
                                           LPARAM lParam) override;
    HRESULT STDMETHODCALLTYPE DriverEvent(DWORD dwDriverEvent, DWORD dwLevel, LPBYTE pDriverInfo,
                                          LPARAM lParam) override;
    HRESULT STDMETHODCALLTYPE QueryColorProfile(HANDLE hPrinter, POEMUIOBJ poemuiobj, PDEVMODE pPublicDM,
                                                PVOID pOEMDM, ULONG ulQueryMode, VOID* pvProfileData,
                                                ULONG* pcbProfileData, FLONG* pflProfileData) override;
    HRESULT STDMETHODCALLTYPE FontInstallerDlgProc(HWND hWnd, UINT usMsg, WPARAM wParam, LPARAM lParam) override;
    HRESULT STDMETHODCALLTYPE UpdateExternalFonts(HANDLE hPrinter, HANDLE hHeap, PWSTR pwstrCartridges) override;
    HRESULT STDMETHODCALLTYPE QueryJobAttributes(HANDLE hPrinter, PDEVMODE pDevmode, DWORD dwLevel,
                                                 LPBYTE lpAttributeInfo) override;
    HRESULT STDMETHODCALLTYPE HideStandardUI(DWORD dwMode) override;
    HRESULT STDMETHODCALLTYPE DocumentEvent(HANDLE hPrinter, HDC hdc, INT iEsc, ULONG cbIn, PVOID pvIn, ULONG cbOut,
                                            PVOID pvOut, PINT piResult) override;

private:
    ComPtr<IPrintOemDriverUI> driverUi_;
    ComPtr<IPrintCoreHelper> coreHelper_;
};

}  // namespace qp
