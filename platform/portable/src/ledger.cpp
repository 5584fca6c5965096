// Counts of live resources, kept with atomics so that any thread may allocate and free.
#include "ledger.h"

#include "runtime_internal.h"

#include <portable/test_support.h>

#include <atomic>

namespace {
std::atomic<int64_t> g_bstrs{0};
std::atomic<int64_t> g_taskMemBlocks{0};
std::atomic<int64_t> g_domObjects{0};
}  // namespace

void PortableLedgerAddBstrs(int64_t delta) { g_bstrs.fetch_add(delta, std::memory_order_relaxed); }

void PortableLedgerAddTaskMemBlocks(int64_t delta) { g_taskMemBlocks.fetch_add(delta, std::memory_order_relaxed); }

void PortableLedgerAddDomObjects(int64_t delta) { g_domObjects.fetch_add(delta, std::memory_order_relaxed); }

STDAPI_(PortableLedger) PortableLedgerRead() {
    return PortableLedger{g_bstrs.load(), g_taskMemBlocks.load(), g_domObjects.load()};
}
