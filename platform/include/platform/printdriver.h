// Printer-driver plug-in declarations that no SDK header available to us provides: the OEM UI
// plug-in and Print Ticket provider interfaces, the core driver's helper interfaces, their
// structures, constants and GUIDs. Values and slot orders are those of the WDK headers.
#pragma once

// Structures the plug-in only passes through; declared by tag so that an SDK header that
// defines them completely stays compatible.
struct _OEMCUIPPARAM;
struct _OEMUIOBJ;
struct _PROPSHEETUI_INFO;
struct _DEVQUERYPRINT_INFO;
typedef struct _OEMCUIPPARAM* POEMCUIPPARAM;
typedef struct _OEMUIOBJ* POEMUIOBJ;
typedef struct _PROPSHEETUI_INFO* PPROPSHEETUI_INFO;
typedef struct _DEVQUERYPRINT_INFO* PDEVQUERYPRINT_INFO;

// IPrintOemUI::GetInfo modes.
#define OEMGI_GETSIGNATURE 1
#define OEMGI_GETINTERFACEVERSION 2
#define OEMGI_GETVERSION 3
#define OEMGI_GETPUBLISHERINFO 4
#define OEMGI_GETREQUESTEDHELPERINTERFACES 5

#define OEMPUBLISH_DEFAULT 0
#define OEMPUBLISH_IPRINTCOREHELPER 1
#define PRINTER_OEMINTF_VERSION 0x00010000
#define OEM_MODE_PUBLISHER 0x00000001

// IPrintOemUI::DevMode modes.
#define OEMDM_SIZE 1
#define OEMDM_DEFAULT 2
#define OEMDM_CONVERT 3
#define OEMDM_MERGE 4

#define OEMCUIP_DOCPROP 1
#define OEMCUIP_PRNPROP 2

#ifndef S_NO_CONFLICT
#define S_NO_CONFLICT static_cast<HRESULT>(0x00040001)
#endif
#ifndef S_CONFLICT_RESOLVED
#define S_CONFLICT_RESOLVED static_cast<HRESULT>(0x00040002)
#endif
#ifndef E_VERSION_NOT_SUPPORTED
#define E_VERSION_NOT_SUPPORTED static_cast<HRESULT>(0x80040001)
#endif

typedef enum tagOEMPTOPTS {
    OEMPT_DEFAULT = 0,
    OEMPT_NOSNAPSHOT = 1,
} OEMPTOPTS, *POEMPTOPTS;

typedef struct _OEMDMPARAM {
    DWORD cbSize;
    PVOID pdriverobj;
    HANDLE hPrinter;
    HANDLE hModule;
    PDEVMODE pPublicDMIn;
    PDEVMODE pPublicDMOut;
    PVOID pOEMDMIn;
    PVOID pOEMDMOut;
    DWORD cbBufSize;
} OEMDMPARAM, *POEMDMPARAM;

typedef struct _OEM_DMEXTRAHEADER {
    DWORD dwSize;
    DWORD dwSignature;
    DWORD dwVersion;
} OEM_DMEXTRAHEADER, *POEM_DMEXTRAHEADER;

typedef struct _PRINT_FEATURE_OPTION {
    PCSTR pszFeature;
    PCSTR pszOption;
} PRINT_FEATURE_OPTION, *PPRINT_FEATURE_OPTION;

static_assert(sizeof(OEM_DMEXTRAHEADER) == 12, "OEM_DMEXTRAHEADER is 12 bytes");
static_assert(sizeof(void*) != 8 || sizeof(OEMDMPARAM) == 72, "OEMDMPARAM is 72 bytes on 64-bit");
static_assert(sizeof(void*) != 8 || offsetof(OEMDMPARAM, cbBufSize) == 64, "OEMDMPARAM layout");
static_assert(sizeof(void*) != 4 || sizeof(OEMDMPARAM) == 36, "OEMDMPARAM is 36 bytes on 32-bit");

inline constexpr CLSID CLSID_OEMUI = {0xabce80d7, 0x9f46, 0x11d1, {0x88, 0x2a, 0x00, 0xc0, 0x4f, 0xb9, 0x61, 0xec}};
inline constexpr CLSID CLSID_OEMPTPROVIDER = {0x91723892, 0x45d2, 0x48e2, {0x9e, 0xc9, 0x56, 0x23, 0x79, 0xda, 0xf9, 0x92}};
inline constexpr IID IID_IPrintOemCommon = {0x7f42285e, 0x91d5, 0x11d1, {0x88, 0x20, 0x00, 0xc0, 0x4f, 0xb9, 0x61, 0xec}};
inline constexpr IID IID_IPrintOemUI = {0xc6a7a9d0, 0x774c, 0x11d1, {0x94, 0x7f, 0x00, 0xa0, 0xc9, 0x06, 0x40, 0xb8}};
inline constexpr IID IID_IPrintOemUI2 = {0x292515f9, 0xb54b, 0x489b, {0x92, 0x75, 0xba, 0xb5, 0x68, 0x21, 0x39, 0x5e}};
inline constexpr IID IID_IPrintOemDriverUI = {0x92b05d50, 0x78bc, 0x11d1, {0x94, 0x80, 0x00, 0xa0, 0xc9, 0x06, 0x40, 0xb8}};
inline constexpr IID IID_IPrintCoreUI2 = {0x085ccfca, 0x3adf, 0x4c9e, {0xb4, 0x91, 0xd8, 0x51, 0xa6, 0xed, 0xc9, 0x97}};
inline constexpr IID IID_IPrintCoreHelper = {0xa89ec53e, 0x3905, 0x49c6, {0x9c, 0x1a, 0xc0, 0xa8, 0x81, 0x17, 0xfd, 0xb6}};
inline constexpr IID IID_IPrintCoreHelperUni = {0x7e8e51d6, 0xe5ee, 0x4426, {0x81, 0x7b, 0x95, 0x8b, 0x94, 0x44, 0xeb, 0x79}};
inline constexpr IID IID_IPrintCoreHelperPS = {0xc2c14f6f, 0x95d3, 0x4d63, {0x96, 0xcf, 0x6b, 0xd9, 0xe6, 0xc9, 0x07, 0xc2}};
inline constexpr IID IID_IPrintOemPrintTicketProvider = {0xbcf5e011, 0xf60a, 0x49ff, {0xab, 0x2f, 0xe0, 0x6f, 0x4a, 0xbd, 0xf2, 0x81}};

struct IPrintOemCommon : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetInfo(DWORD dwMode, PVOID pBuffer, DWORD cbSize, PDWORD pcbNeeded) = 0;
    virtual HRESULT STDMETHODCALLTYPE DevMode(DWORD dwMode, POEMDMPARAM pOemDMParam) = 0;
};

struct IPrintOemUI : public IPrintOemCommon {
    virtual HRESULT STDMETHODCALLTYPE PublishDriverInterface(IUnknown* pIUnknown) = 0;
    virtual HRESULT STDMETHODCALLTYPE CommonUIProp(DWORD dwMode, POEMCUIPPARAM pOemCUIPParam) = 0;
    virtual HRESULT STDMETHODCALLTYPE DocumentPropertySheets(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam) = 0;
    virtual HRESULT STDMETHODCALLTYPE DevicePropertySheets(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam) = 0;
    virtual HRESULT STDMETHODCALLTYPE DevQueryPrintEx(POEMUIOBJ poemuiobj, PDEVQUERYPRINT_INFO pDQPInfo,
                                                      PDEVMODE pPublicDM, PVOID pOEMDM) = 0;
    virtual HRESULT STDMETHODCALLTYPE DeviceCapabilities(POEMUIOBJ poemuiobj, HANDLE hPrinter, PWSTR pDeviceName,
                                                         WORD wCapability, PVOID pOutput, PDEVMODE pPublicDM,
                                                         PVOID pOEMDM, DWORD dwOld, DWORD* dwResult) = 0;
    virtual HRESULT STDMETHODCALLTYPE UpgradePrinter(DWORD dwLevel, PBYTE pDriverUpgradeInfo) = 0;
    virtual HRESULT STDMETHODCALLTYPE PrinterEvent(PWSTR pPrinterName, INT iDriverEvent, DWORD dwFlags,
                                                   LPARAM lParam) = 0;
    virtual HRESULT STDMETHODCALLTYPE DriverEvent(DWORD dwDriverEvent, DWORD dwLevel, LPBYTE pDriverInfo,
                                                  LPARAM lParam) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryColorProfile(HANDLE hPrinter, POEMUIOBJ poemuiobj, PDEVMODE pPublicDM,
                                                        PVOID pOEMDM, ULONG ulQueryMode, VOID* pvProfileData,
                                                        ULONG* pcbProfileData, FLONG* pflProfileData) = 0;
    virtual HRESULT STDMETHODCALLTYPE FontInstallerDlgProc(HWND hWnd, UINT usMsg, WPARAM wParam, LPARAM lParam) = 0;
    virtual HRESULT STDMETHODCALLTYPE UpdateExternalFonts(HANDLE hPrinter, HANDLE hHeap, PWSTR pwstrCartridges) = 0;
};

struct IPrintOemUI2 : public IPrintOemUI {
    virtual HRESULT STDMETHODCALLTYPE QueryJobAttributes(HANDLE hPrinter, PDEVMODE pDevmode, DWORD dwLevel,
                                                         LPBYTE lpAttributeInfo) = 0;
    virtual HRESULT STDMETHODCALLTYPE HideStandardUI(DWORD dwMode) = 0;
    virtual HRESULT STDMETHODCALLTYPE DocumentEvent(HANDLE hPrinter, HDC hdc, INT iEsc, ULONG cbIn, PVOID pvIn,
                                                    ULONG cbOut, PVOID pvOut, PINT piResult) = 0;
};

struct IPrintOemDriverUI : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE DrvGetDriverSetting(PVOID pci, PCSTR Feature, PVOID pOutput, DWORD cbSize,
                                                          PDWORD pcbNeeded, PDWORD pdwOptionsReturned) = 0;
    virtual HRESULT STDMETHODCALLTYPE DrvUpgradeRegistrySetting(HANDLE hPrinter, PCSTR pFeature, PCSTR pOption) = 0;
    virtual HRESULT STDMETHODCALLTYPE DrvUpdateUISetting(PVOID pci, PVOID pOptItem, DWORD dwPreviousSelection,
                                                         DWORD dwMode) = 0;
};

struct IPrintCoreHelper : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetOption(const DEVMODE* pDevmode, DWORD cbSize, PCSTR pszFeatureRequested,
                                                PCSTR* ppszOption) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetOptions(PDEVMODE pDevmode, DWORD cbSize, BOOL bResolveConflicts,
                                                 const PRINT_FEATURE_OPTION* pFOPairs, DWORD cPairs,
                                                 PDWORD pcPairsWritten, PDWORD pdwResult) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumConstrainedOptions(const DEVMODE* pDevmode, DWORD cbSize,
                                                             PCSTR pszFeatureKeyword,
                                                             PCSTR** pConstrainedOptionList,
                                                             DWORD* pdwNumOptions) = 0;
    virtual HRESULT STDMETHODCALLTYPE WhyConstrained(const DEVMODE* pDevmode, DWORD cbSize, PCSTR pszFeatureKeyword,
                                                     PCSTR pszOptionKeyword,
                                                     const PRINT_FEATURE_OPTION** ppFOConstraints,
                                                     DWORD* pdwNumOptions) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumFeatures(PCSTR** pFeatureList, DWORD* pdwNumFeatures) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumOptions(PCSTR pszFeatureKeyword, PCSTR** pOptionList,
                                                  DWORD* pdwNumOptions) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFontSubstitution(PCWSTR pszTrueTypeFontName, PCWSTR* ppszDevFontName) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetFontSubstitution(PCWSTR pszTrueTypeFontName, PCWSTR pszDevFontName) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateInstanceOfMSXMLObject(REFCLSID rclsid, LPUNKNOWN pUnkOuter,
                                                                  DWORD dwClsContext, REFIID riid,
                                                                  LPVOID* ppv) = 0;
};

struct IPrintOemPrintTicketProvider : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetSupportedVersions(HANDLE hPrinter, INT* ppVersions[], INT* cVersions) = 0;
    virtual HRESULT STDMETHODCALLTYPE BindPrinter(HANDLE hPrinter, INT version, POEMPTOPTS pOptions,
                                                  INT* cNamespaces, BSTR** ppNamespaces) = 0;
    virtual HRESULT STDMETHODCALLTYPE PublishPrintTicketHelperInterface(IUnknown* pHelper) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryDeviceDefaultNamespace(BSTR* pbstrNamespaceUri) = 0;
    virtual HRESULT STDMETHODCALLTYPE ConvertPrintTicketToDevMode(IXMLDOMDocument2* pPrintTicket, ULONG cbDevmode,
                                                                  PDEVMODE pDevmode, ULONG cbDrvPrivateSize,
                                                                  PVOID pPrivateDevmode) = 0;
    virtual HRESULT STDMETHODCALLTYPE ConvertDevModeToPrintTicket(ULONG cbDevmode, PDEVMODE pDevmode,
                                                                  ULONG cbDrvPrivateSize, PVOID pPrivateDevmode,
                                                                  IXMLDOMDocument2* pPrintTicket) = 0;
    virtual HRESULT STDMETHODCALLTYPE CompletePrintCapabilities(IXMLDOMDocument2* pUserPrintTicket,
                                                                IXMLDOMDocument2* pPrintCapabilities) = 0;
    virtual HRESULT STDMETHODCALLTYPE ExpandIntentOptions(IXMLDOMDocument2* pPrintTicket) = 0;
    virtual HRESULT STDMETHODCALLTYPE ValidatePrintTicket(IXMLDOMDocument2* pPrintTicket) = 0;
};

// The module's two exports, as the core driver resolves them.
typedef HRESULT(STDAPICALLTYPE* PFN_DllGetClassObject)(REFCLSID rclsid, REFIID riid, LPVOID* ppv);
typedef HRESULT(STDAPICALLTYPE* PFN_DllCanUnloadNow)();
