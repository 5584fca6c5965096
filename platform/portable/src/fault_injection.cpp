// Allocation fault injection: every allocation counts itself here, and when armed with N the
// Nth one after the arming fails, once. Allocations on every thread share the count, so that
// exactly one of them receives the failure.
#include <portable/test_support.h>

#include <atomic>

namespace {
std::atomic<uint64_t> g_count{0};
std::atomic<uint64_t> g_libxmlCount{0};
std::atomic<uint64_t> g_failAt{0};
std::atomic<bool> g_fired{false};
}  // namespace

STDAPI_(void) PortableFaultArm(uint64_t failAt) {
    g_failAt.store(0);
    g_fired.store(false);
    g_count.store(0);
    g_libxmlCount.store(0);
    g_failAt.store(failAt);
}

STDAPI_(void) PortableFaultDisarm() { g_failAt.store(0); }

STDAPI_(uint64_t) PortableFaultAllocationCount() { return g_count.load(); }

STDAPI_(void) PortableFaultResetCount() {
    g_count.store(0);
    g_libxmlCount.store(0);
}

STDAPI_(uint64_t) PortableFaultLibxmlAllocationCount() { return g_libxmlCount.load(); }

STDAPI_(bool) PortableFaultNextLibxmlAllocationFails() {
    g_libxmlCount.fetch_add(1);
    return PortableFaultNextAllocationFails();
}

STDAPI_(bool) PortableFaultNextAllocationFails() {
    const uint64_t n = g_count.fetch_add(1) + 1;
    uint64_t expected = n;
    // Disarming on delivery makes the failure happen once even if the count is reset later.
    if (g_failAt.load() != n || !g_failAt.compare_exchange_strong(expected, 0)) return false;
    g_fired.store(true);
    return true;
}

STDAPI_(bool) PortableFaultFired() { return g_fired.load(); }
