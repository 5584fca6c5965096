// Seams inside the portable runtime library between the runtime proper and the MSXML stand-in.
// Not exported from the shared library.
#pragma once

#include <platform/platform.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

// The ledger's count of live stand-in COM objects; each object adds 1 when made and -1 when
// its final Release destroys it.
void PortableLedgerAddDomObjects(int64_t delta);

// Class factories of the stand-in, used by CoCreateInstance.
HRESULT MsxmlCreateDocument(REFIID riid, void** ppv);
HRESULT MsxmlCreateNamespaceManager(REFIID riid, void** ppv);
