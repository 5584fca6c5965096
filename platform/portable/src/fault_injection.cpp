// Allocation fault injection: every allocation counts itself here, and when armed with N the
// Nth one after the arming fails, once. While armed, allocations on every thread share one
// atomic count, so that exactly one of them receives the failure. Disarmed, which is how every
// conversion outside the fault tests runs, each thread counts in its ledger block without a
// locked instruction; the count since the last arm or reset is the shared count plus what the
// threads counted after the reset.
#include "ledger.h"

#include <portable/test_support.h>

#include <atomic>

namespace {
std::atomic<uint64_t> g_count{0};
std::atomic<uint64_t> g_failAt{0};
std::atomic<bool> g_fired{false};
std::atomic<int64_t> g_unarmedBaseline{0};

void RestartCount() {
    g_count.store(0);
    g_unarmedBaseline.store(PortableLedgerAllocationsCounted());
}
}  // namespace

STDAPI_(void) PortableFaultArm(uint64_t failAt) {
    g_failAt.store(0);
    g_fired.store(false);
    RestartCount();
    g_failAt.store(failAt);
}

STDAPI_(void) PortableFaultDisarm() { g_failAt.store(0); }

STDAPI_(uint64_t) PortableFaultAllocationCount() {
    const int64_t unarmed = PortableLedgerAllocationsCounted() - g_unarmedBaseline.load();
    return g_count.load() + static_cast<uint64_t>(unarmed);
}

STDAPI_(void) PortableFaultResetCount() { RestartCount(); }

STDAPI_(bool) PortableFaultNextAllocationFails() {
    if (g_failAt.load(std::memory_order_relaxed) == 0) {
        PortableLedgerCountAllocation();
        return false;
    }
    const uint64_t n = g_count.fetch_add(1) + 1;
    // Armed for another allocation: no need for the exchange.
    if (g_failAt.load() != n) return false;
    uint64_t expected = n;
    // Disarming on delivery makes the failure happen once even if the count is reset later.
    if (!g_failAt.compare_exchange_strong(expected, 0)) return false;
    g_fired.store(true);
    return true;
}

STDAPI_(bool) PortableFaultFired() { return g_fired.load(); }
