// Temporary: weak stand-ins for the MSXML class factories until the MSXML stand-in lands.
#include "runtime_internal.h"

__attribute__((weak)) HRESULT MsxmlCreateDocument(REFIID, void** ppv) {
    *ppv = nullptr;
    return REGDB_E_CLASSNOTREG;
}
__attribute__((weak)) HRESULT MsxmlCreateNamespaceManager(REFIID, void** ppv) {
    *ppv = nullptr;
    return REGDB_E_CLASSNOTREG;
}
