// Counts of live resources. Every object, BSTR and block the runtime hands out is counted twice,
// so each thread counts in a block of its own, without a locked instruction; a read adds up the
// blocks of the live threads and what the threads that ended left behind. A resource made on one
// thread and freed on another is +1 in one block and -1 in the other: the sum is exact.
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
};

void AddTo(PortableLedger& total, const Counts& counts) {
    total.bstrs += counts.bstrs.load(std::memory_order_relaxed);
    total.taskMemBlocks += counts.taskMemBlocks.load(std::memory_order_relaxed);
    total.domObjects += counts.domObjects.load(std::memory_order_relaxed);
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
    PortableLedger Sum() noexcept {
        std::lock_guard lock(mutex_);
        PortableLedger total = retired_;
        AddTo(total, shared_);
        for (const Counts* counts : live_) AddTo(total, *counts);
        return total;
    }
    Counts& Shared() noexcept { return shared_; }

private:
    std::mutex mutex_;
    std::vector<const Counts*> live_;
    PortableLedger retired_{};
    Counts shared_;  // for threads whose own block could not be enrolled; updated with locked adds
};

// Never destroyed: threads may still retire their blocks while the process exits.
Registry& TheRegistry() {
    static Registry* registry = new Registry();
    return *registry;
}

// Set once the thread's block has been retired: what the thread frees after that (its other
// thread-locals, or statics at process exit) is counted in the shared block.
thread_local bool t_retired = false;

class ThreadCounts {
public:
    ThreadCounts() noexcept : enrolled_(TheRegistry().Enroll(&counts_)) {}
    ~ThreadCounts() {
        if (enrolled_) TheRegistry().Retire(&counts_);
        t_retired = true;
    }
    ThreadCounts(const ThreadCounts&) = delete;
    ThreadCounts& operator=(const ThreadCounts&) = delete;

    // Only the owning thread writes its block, so a plain load and store do; readers on other
    // threads see either value.
    void Add(std::atomic<int64_t> Counts::*counter, int64_t delta) noexcept {
        if (!enrolled_) {
            (TheRegistry().Shared().*counter).fetch_add(delta, std::memory_order_relaxed);
            return;
        }
        std::atomic<int64_t>& mine = counts_.*counter;
        mine.store(mine.load(std::memory_order_relaxed) + delta, std::memory_order_relaxed);
    }

private:
    Counts counts_;
    bool enrolled_;
};

void Add(std::atomic<int64_t> Counts::*counter, int64_t delta) noexcept {
    if (t_retired) {
        (TheRegistry().Shared().*counter).fetch_add(delta, std::memory_order_relaxed);
        return;
    }
    thread_local ThreadCounts mine;
    mine.Add(counter, delta);
}

}  // namespace

void PortableLedgerAddBstrs(int64_t delta) { Add(&Counts::bstrs, delta); }

void PortableLedgerAddTaskMemBlocks(int64_t delta) { Add(&Counts::taskMemBlocks, delta); }

void PortableLedgerAddDomObjects(int64_t delta) { Add(&Counts::domObjects, delta); }

STDAPI_(PortableLedger) PortableLedgerRead() { return TheRegistry().Sum(); }
