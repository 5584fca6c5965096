// Counts of live resources: one process-wide atomic each, since a resource may be made on one
// thread and freed on another.
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
    PortableLedger ledger{};
    ledger.bstrs = g_bstrs.load(std::memory_order_relaxed);
    ledger.taskMemBlocks = g_taskMemBlocks.load(std::memory_order_relaxed);
    ledger.domObjects = g_domObjects.load(std::memory_order_relaxed);
    return ledger;
}
