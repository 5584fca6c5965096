// Task memory: plain heap blocks, counted in the ledger and subject to fault injection.
#include "ledger.h"

#include <platform/platform.h>
#include <portable/test_support.h>

#include <cstdlib>

STDAPI_(LPVOID) CoTaskMemAlloc(SIZE_T cb) {
    if (PortableFaultNextAllocationFails()) return nullptr;
    // A zero-byte request still yields a distinct block that must be freed, as on Windows.
    void* block = std::malloc(cb == 0 ? 1 : cb);
    if (block != nullptr) PortableLedgerAddTaskMemBlocks(1);
    return block;
}

STDAPI_(void) CoTaskMemFree(LPVOID pv) {
    if (pv == nullptr) return;
    PortableLedgerAddTaskMemBlocks(-1);
    std::free(pv);
}
