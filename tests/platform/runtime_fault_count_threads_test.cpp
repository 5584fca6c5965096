// Disarmed, each thread counts its allocations on its own; the count must still be the sum over
// every thread since the last reset, ended threads included, and arming must still fail exactly
// one allocation whichever thread makes it.
#include "support/ledger_check.h"

#include <platform/platform.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

class FaultCountThreadsTest : public LedgerTest {
protected:
    // `threads` threads, each allocating and freeing `perThread` blocks; the failures seen.
    static int AllocateOnThreads(int threads, int perThread) {
        std::atomic<int> failures{0};
        std::vector<std::thread> running;
        for (int t = 0; t < threads; ++t) {
            running.emplace_back([perThread, &failures] {
                for (int i = 0; i < perThread; ++i) {
                    void* block = CoTaskMemAlloc(8);
                    if (block == nullptr) ++failures;
                    CoTaskMemFree(block);
                }
            });
        }
        for (std::thread& thread : running) thread.join();
        return failures.load();
    }
};

TEST_F(FaultCountThreadsTest, CountsAddUpAcrossEndedThreadsAndRestartOnResetAndArm) {
    AllocateOnThreads(2, 50);  // counted before the reset: must not show
    PortableFaultResetCount();
    EXPECT_EQ(PortableFaultAllocationCount(), 0u);
    EXPECT_EQ(AllocateOnThreads(3, 100), 0);
    CoTaskMemFree(CoTaskMemAlloc(8));
    EXPECT_EQ(PortableFaultAllocationCount(), 301u);

    // Armed past what the first round makes: the failure comes in the second, once, and the
    // count spans both the armed stretch and what follows the delivery.
    PortableFaultArm(350);
    EXPECT_EQ(AllocateOnThreads(3, 100), 0);
    EXPECT_FALSE(PortableFaultFired());
    EXPECT_EQ(AllocateOnThreads(3, 100), 1);
    EXPECT_TRUE(PortableFaultFired());
    EXPECT_EQ(PortableFaultAllocationCount(), 600u);
}

}  // namespace
