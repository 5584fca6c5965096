// Counts of live resources, and of allocations for fault injection. Every object, BSTR and block
// the runtime hands out is counted twice, so each thread counts in a block of its own, without a
// locked instruction; a read adds up the blocks of the live threads and what the threads that
// ended left behind. A resource made on one thread and freed on another is +1 in one block and
// -1 in the other: the sum is exact.
#include "ledger.h"

#include "runtime_internal.h"

#include <portable/test_support.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <new>
#include <vector>

namespace {

struct Counts {
    std::atomic<int64_t> bstrs{0};
    std::atomic<int64_t> taskMemBlocks{0};
    std::atomic<int64_t> domObjects{0};
    std::atomic<int64_t> allocations{0};
};

struct Totals {
    PortableLedger ledger{};
    int64_t allocations = 0;
};

void AddTo(Totals& total, const Counts& counts) {
    total.ledger.bstrs += counts.bstrs.load(std::memory_order_relaxed);
    total.ledger.taskMemBlocks += counts.taskMemBlocks.load(std::memory_order_relaxed);
    total.ledger.domObjects += counts.domObjects.load(std::memory_order_relaxed);
    total.allocations += counts.allocations.load(std::memory_order_relaxed);
}

class Registry {
public:
    // False when the block could not be enrolled; its thread then counts in the shared block.
    bool Enroll(const Counts* counts) noexcept {
        std::lock_guard lock(mutex_);
        try {
            live_.push_back(counts);
            return true;
        } catch (const std::bad_alloc&) {
            return false;
        }
    }
    void Retire(const Counts* counts) noexcept {
        std::lock_guard lock(mutex_);
        AddTo(retired_, *counts);
        live_.erase(std::remove(live_.begin(), live_.end(), counts), live_.end());
    }
    Totals Sum() noexcept {
        std::lock_guard lock(mutex_);
        Totals total = retired_;
        AddTo(total, shared_);
        for (const Counts* counts : live_) AddTo(total, *counts);
        return total;
    }
    Counts& Shared() noexcept { return shared_; }

private:
    std::mutex mutex_;
    std::vector<const Counts*> live_;
    Totals retired_;
    Counts shared_;  // for threads whose own block could not be enrolled; updated with locked adds
};

// Never destroyed: threads may still retire their blocks while the process exits.
Registry& TheRegistry() {
    static Registry* registry = new Registry();
    return *registry;
}

// The calling thread's block, null until its first count and again once retired. Read on every
// count, so it is constant-initialised and uses the initial-exec model: one load, no call (the
// runtime library is linked, never loaded later with dlopen).
[[gnu::tls_model("initial-exec")]] thread_local Counts* t_counts = nullptr;
// Set once the thread's block has been retired: what the thread frees after that (its other
// thread-locals, or statics at process exit) is counted in the shared block.
[[gnu::tls_model("initial-exec")]] thread_local bool t_retired = false;

// Owns a thread's block from its first count to the thread's end.
class ThreadCounts {
public:
    ThreadCounts() noexcept {
        if (TheRegistry().Enroll(&counts_)) t_counts = &counts_;
    }
    ~ThreadCounts() {
        if (t_counts == &counts_) TheRegistry().Retire(&counts_);
        t_counts = nullptr;
        t_retired = true;
    }
    ThreadCounts(const ThreadCounts&) = delete;
    ThreadCounts& operator=(const ThreadCounts&) = delete;

private:
    Counts counts_;
};

// The thread's block, made on its first count; null when the thread counts in the shared block.
Counts* EnrollThisThread() noexcept {
    if (t_retired) return nullptr;
    thread_local ThreadCounts mine;
    return t_counts;
}

// Only the owning thread writes its block, so a plain load and store do; readers on other
// threads see either value.
void Bump(std::atomic<int64_t>& count, int64_t delta) noexcept {
    count.store(count.load(std::memory_order_relaxed) + delta, std::memory_order_relaxed);
}

// The first count of a thread, and every count of a thread whose block is gone or was never
// enrolled.
[[gnu::noinline]] void AddSlowly(std::atomic<int64_t> Counts::*counter, int64_t delta) noexcept {
    if (Counts* mine = EnrollThisThread()) {
        Bump(mine->*counter, delta);
    } else {
        (TheRegistry().Shared().*counter).fetch_add(delta, std::memory_order_relaxed);
    }
}

}  // namespace

void PortableLedgerAddBstrs(int64_t delta) {
    if (Counts* mine = t_counts) return Bump(mine->bstrs, delta);
    AddSlowly(&Counts::bstrs, delta);
}

void PortableLedgerAddTaskMemBlocks(int64_t delta) {
    if (Counts* mine = t_counts) return Bump(mine->taskMemBlocks, delta);
    AddSlowly(&Counts::taskMemBlocks, delta);
}

void PortableLedgerAddDomObjects(int64_t delta) {
    if (Counts* mine = t_counts) return Bump(mine->domObjects, delta);
    AddSlowly(&Counts::domObjects, delta);
}

void PortableLedgerCountAllocation() {
    if (Counts* mine = t_counts) return Bump(mine->allocations, 1);
    AddSlowly(&Counts::allocations, 1);
}

int64_t PortableLedgerAllocationsCounted() { return TheRegistry().Sum().allocations; }

STDAPI_(PortableLedger) PortableLedgerRead() { return TheRegistry().Sum().ledger; }
