// Seams inside the portable runtime library between the runtime proper and the MSXML stand-in.
// Not exported from the shared library.
#pragma once

#include <platform/platform.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

// Whether every UTF-16 unit is below 0x80. No early exit, so that the compiler tests many units
// per instruction.
inline bool AllAsciiUnits(const WCHAR* text, size_t length) {
    WCHAR bits = 0;
    for (size_t i = 0; i < length; ++i) bits |= text[i];
    return bits < 0x80;
}

// The ledger's count of live stand-in COM objects; each object adds 1 when made and -1 when
// its final Release destroys it.
void PortableLedgerAddDomObjects(int64_t delta);

// Class factories of the stand-in, used by CoCreateInstance.
HRESULT MsxmlCreateDocument(REFIID riid, void** ppv);
HRESULT MsxmlCreateNamespaceManager(REFIID riid, void** ppv);
