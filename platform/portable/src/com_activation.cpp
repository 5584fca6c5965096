// COM activation without apartments or a registry: the stand-in's two MSXML classes are the
// only classes there are.
#include "runtime_internal.h"

#include <platform/platform.h>

STDAPI CoInitializeEx(LPVOID, DWORD) { return S_OK; }

STDAPI_(void) CoUninitialize() {}

STDAPI CoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter, DWORD, REFIID riid, LPVOID* ppv) {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (pUnkOuter != nullptr) return CLASS_E_NOAGGREGATION;
    if (rclsid == CLSID_DOMDocument60) return MsxmlCreateDocument(riid, ppv);
    if (rclsid == CLSID_MXNamespaceManager60) return MsxmlCreateNamespaceManager(riid, ppv);
    return REGDB_E_CLASSNOTREG;
}
