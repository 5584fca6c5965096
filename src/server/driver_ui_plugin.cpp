#include "server/driver_ui_plugin.h"

#include "common/constants.h"

#include <algorithm>
#include <cstring>

namespace qp {
namespace {

constexpr OEM_DMEXTRAHEADER kDefaultHeader = {kDevModeSectionSize, kPluginSignature, kPluginVersion};

HRESULT FailWithLastError(DWORD error) noexcept {
    SetLastError(error);
    return E_FAIL;
}

// The sections lie inside DEVMODE buffers at any alignment, so they are read and written
// bytewise.
OEM_DMEXTRAHEADER ReadHeader(const void* section) noexcept {
    OEM_DMEXTRAHEADER header;
    std::memcpy(&header, section, sizeof header);
    return header;
}

void WriteHeader(void* section, const OEM_DMEXTRAHEADER& header) noexcept {
    std::memcpy(section, &header, sizeof header);
}

// Keeps a section of the same signature, bounded by the section size whatever the headers
// claim, and gives any other section the default header.
void CopyOrReset(const void* in, void* out) noexcept {
    if (in == nullptr || out == nullptr) return;
    const OEM_DMEXTRAHEADER inHeader = ReadHeader(in);
    OEM_DMEXTRAHEADER outHeader = ReadHeader(out);
    if (inHeader.dwSignature != outHeader.dwSignature) {
        WriteHeader(out, kDefaultHeader);
        return;
    }
    const DWORD count = std::min({inHeader.dwSize, outHeader.dwSize, kDevModeSectionSize});
    std::memcpy(&outHeader, in, count);
    outHeader.dwSize = kDevModeSectionSize;
    outHeader.dwVersion = kPluginVersion;
    WriteHeader(out, outHeader);
}

bool IsServedInfoMode(DWORD mode) noexcept {
    return mode == OEMGI_GETSIGNATURE || mode == OEMGI_GETVERSION || mode == OEMGI_GETPUBLISHERINFO ||
           mode == OEMGI_GETREQUESTEDHELPERINTERFACES;
}

// Stores a successful QueryInterface in `held`; a failed one leaves the field null. A failed
// query must not have written a reference, so whatever it wrote is not released.
template <class T>
HRESULT QueryInto(IUnknown* offered, REFIID iid, ComPtr<T>& held) noexcept {
    const HRESULT hr = offered->QueryInterface(iid, held.put_void());
    if (FAILED(hr)) static_cast<void>(held.detach());
    return hr;
}

}  // namespace

DriverUIPlugin::~DriverUIPlugin() {
    driverUi_.reset();
    coreHelper_.reset();
}

HRESULT DriverUIPlugin::QueryInterface(REFIID riid, void** ppv) {
    return AnswerQueryInterface(riid, ppv, {IID_IUnknown, IID_IPrintOemUI2});
}

HRESULT DriverUIPlugin::GetInfo(DWORD dwMode, PVOID pBuffer, DWORD cbSize, PDWORD pcbNeeded) {
    if (pcbNeeded == nullptr || !IsServedInfoMode(dwMode)) return FailWithLastError(ERROR_INVALID_PARAMETER);
    *pcbNeeded = sizeof(DWORD);
    if (cbSize < sizeof(DWORD) || pBuffer == nullptr) return FailWithLastError(ERROR_INSUFFICIENT_BUFFER);

    DWORD answer = 0;
    switch (dwMode) {
    case OEMGI_GETSIGNATURE:
        answer = kPluginSignature;
        break;
    case OEMGI_GETVERSION:
        answer = kPluginVersion;
        break;
    case OEMGI_GETREQUESTEDHELPERINTERFACES:
        answer = OEMPUBLISH_IPRINTCOREHELPER;
        break;
    default:  // OEMGI_GETPUBLISHERINFO: the plug-in publishes no font information.
        *pcbNeeded = 0;
        return FailWithLastError(ERROR_NOT_SUPPORTED);
    }
    std::memcpy(pBuffer, &answer, sizeof answer);
    return S_OK;
}

HRESULT DriverUIPlugin::DevMode(DWORD dwMode, POEMDMPARAM pOemDMParam) {
    if (pOemDMParam == nullptr || dwMode < OEMDM_SIZE || dwMode > OEMDM_MERGE) {
        return FailWithLastError(ERROR_INVALID_PARAMETER);
    }
    void* const out = pOemDMParam->pOEMDMOut;
    switch (dwMode) {
    case OEMDM_SIZE:
        pOemDMParam->cbBufSize = kDevModeSectionSize;
        break;
    case OEMDM_DEFAULT:
        if (out == nullptr) return FailWithLastError(ERROR_INVALID_PARAMETER);
        WriteHeader(out, kDefaultHeader);
        break;
    case OEMDM_CONVERT:
        CopyOrReset(pOemDMParam->pOEMDMIn, out);
        break;
    default:  // OEMDM_MERGE: whatever the input held, the merged section is the default one.
        CopyOrReset(pOemDMParam->pOEMDMIn, out);
        if (out != nullptr) WriteHeader(out, kDefaultHeader);
        break;
    }
    return S_OK;
}

HRESULT DriverUIPlugin::PublishDriverInterface(IUnknown* pIUnknown) {
    if (pIUnknown == nullptr) return E_INVALIDARG;
    HRESULT hr = E_FAIL;
    if (!coreHelper_) hr = QueryInto(pIUnknown, IID_IPrintCoreHelper, coreHelper_);
    if (!driverUi_ && FAILED(hr)) hr = QueryInto(pIUnknown, IID_IPrintOemDriverUI, driverUi_);
    return hr;
}

HRESULT DriverUIPlugin::CommonUIProp(DWORD, POEMCUIPPARAM) { return E_NOTIMPL; }

HRESULT DriverUIPlugin::DocumentPropertySheets(PPROPSHEETUI_INFO, LPARAM) { return S_OK; }

HRESULT DriverUIPlugin::DevicePropertySheets(PPROPSHEETUI_INFO, LPARAM) { return S_OK; }

HRESULT DriverUIPlugin::DevQueryPrintEx(POEMUIOBJ, PDEVQUERYPRINT_INFO, PDEVMODE, PVOID) { return E_NOTIMPL; }

HRESULT DriverUIPlugin::DeviceCapabilities(POEMUIOBJ, HANDLE, PWSTR, WORD, PVOID, PDEVMODE, PVOID, DWORD, DWORD*) {
    return E_NOTIMPL;
}

HRESULT DriverUIPlugin::UpgradePrinter(DWORD, PBYTE) { return E_NOTIMPL; }

HRESULT DriverUIPlugin::PrinterEvent(PWSTR, INT, DWORD, LPARAM) { return E_NOTIMPL; }

HRESULT DriverUIPlugin::DriverEvent(DWORD, DWORD, LPBYTE, LPARAM) { return E_NOTIMPL; }

HRESULT DriverUIPlugin::QueryColorProfile(HANDLE, POEMUIOBJ, PDEVMODE, PVOID, ULONG, VOID*, ULONG*, FLONG*) {
    return E_NOTIMPL;
}

HRESULT DriverUIPlugin::FontInstallerDlgProc(HWND, UINT, WPARAM, LPARAM) { return E_NOTIMPL; }

HRESULT DriverUIPlugin::UpdateExternalFonts(HANDLE, HANDLE, PWSTR) { return E_NOTIMPL; }

HRESULT DriverUIPlugin::QueryJobAttributes(HANDLE, PDEVMODE, DWORD, LPBYTE) { return E_NOTIMPL; }

HRESULT DriverUIPlugin::HideStandardUI(DWORD) { return E_NOTIMPL; }

HRESULT DriverUIPlugin::DocumentEvent(HANDLE, HDC, INT, ULONG, PVOID, ULONG, PVOID, PINT) { return E_NOTIMPL; }

}  // namespace qp
