// Each thread keeps its own ledger counts; a read adds them up with what ended threads left.
// A resource made on one thread and freed on another, or outliving the thread that made it,
// must still balance.
#include <support/ledger_check.h>

#include <platform/platform.h>

#include <thread>
#include <vector>

namespace {

class LedgerThreadsTest : public LedgerTest {};

TEST_F(LedgerThreadsTest, ResourcesCrossingAndOutlivingThreadsStillBalance) {
    const PortableLedger start = PortableLedgerRead();
    BSTR made = nullptr;
    void* block = nullptr;
    std::thread maker([&] {
        made = SysAllocString(u"made on another thread");
        block = CoTaskMemAlloc(16);
    });
    maker.join();
    // The thread has ended; its counts stay in the ledger.
    PortableLedger now = PortableLedgerRead();
    EXPECT_EQ(now.bstrs, start.bstrs + 1);
    EXPECT_EQ(now.taskMemBlocks, start.taskMemBlocks + 1);

    std::thread freer([&] { SysFreeString(made); });
    freer.join();
    CoTaskMemFree(block);
    EXPECT_LEDGER_BALANCED(start);
}

TEST_F(LedgerThreadsTest, ConcurrentThreadsAddUpExactly) {
    const PortableLedger start = PortableLedgerRead();
    constexpr int kThreads = 4;
    constexpr int kEach = 1000;
    std::vector<std::vector<BSTR>> made(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&made, t] {
            for (int i = 0; i < kEach; ++i) made[static_cast<size_t>(t)].push_back(SysAllocString(u"x"));
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(PortableLedgerRead().bstrs, start.bstrs + kThreads * kEach);
    for (auto& strings : made) {
        for (BSTR s : strings) SysFreeString(s);
    }
    EXPECT_LEDGER_BALANCED(start);
}

}  // namespace
