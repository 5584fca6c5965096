// Fault injection and the per-thread last error: the switches every later failure-path test
// relies on.
#include "support/ledger_check.h"

#include <platform/com_ptr.h>

#include <atomic>
#include <new>
#include <thread>
#include <vector>

using qp::Bstr;
using qp::CoTaskMemPtr;
using qp::Variant;

namespace {

class FaultInjectionTest : public LedgerTest {};

TEST_F(FaultInjectionTest, ExactlyTheNthAllocationFailsOnceWhateverItAllocates) {
    PortableFaultArm(3);
    Bstr first = Bstr::Copy(W("1"));
    CoTaskMemPtr<int> second = CoTaskMemPtr<int>::Allocate(4);
    Bstr third = Bstr::Attach(SysAllocStringLen(nullptr, 2));
    Bstr fourth = Bstr::Copy(W("4"));
    EXPECT_TRUE(first);
    EXPECT_TRUE(second);
    EXPECT_FALSE(third);
    EXPECT_TRUE(fourth) << "the failure is delivered once";
    EXPECT_TRUE(PortableFaultFired());
    EXPECT_EQ(PortableFaultAllocationCount(), 4u);
}

TEST_F(FaultInjectionTest, TaskMemoryAndConversionsFailWithNothingLeftBehind) {
    PortableFaultArm(1);
    EXPECT_EQ(CoTaskMemAlloc(8), nullptr);

    Variant number;
    number.get().vt = VT_INT;
    number.get().intVal = 12;
    Variant text;
    PortableFaultArm(1);
    EXPECT_EQ(VariantChangeType(text.put(), &number.get(), 0, VT_BSTR), E_OUTOFMEMORY);
    EXPECT_EQ(text.get().vt, VT_EMPTY);
    EXPECT_TRUE(PortableFaultFired());
}

// Called directly rather than through new-expressions, which the compiler may elide.
TEST_F(FaultInjectionTest, NothrowNewFailsOnTheSameCount) {
    PortableFaultArm(2);
    void* first = ::operator new(sizeof(int), std::nothrow);
    void* second = ::operator new[](3 * sizeof(int), std::nothrow);
    void* third = ::operator new(sizeof(int), std::nothrow);
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(second, nullptr);
    EXPECT_NE(third, nullptr);
    ::operator delete(first);
    ::operator delete(third);
}

TEST_F(FaultInjectionTest, CountsWhileDisarmedAndStopsAfterDisarm) {
    PortableFaultResetCount();
    Bstr a = Bstr::Copy(W("a"));
    EXPECT_EQ(PortableFaultAllocationCount(), 1u);

    PortableFaultArm(2);
    PortableFaultDisarm();
    Bstr b = Bstr::Copy(W("b"));
    Bstr c = Bstr::Copy(W("c"));
    EXPECT_TRUE(b && c);
    EXPECT_FALSE(PortableFaultFired());
    EXPECT_EQ(PortableFaultAllocationCount(), 2u) << "arming restarts the count";
}

TEST_F(FaultInjectionTest, ThreadsShareOneCountAndOneFailure) {
    constexpr int kThreads = 4;
    constexpr int kPerThread = 500;
    std::atomic<int> failures{0};
    PortableFaultArm(kThreads * kPerThread / 2);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&failures] {
            for (int i = 0; i < kPerThread; ++i) {
                void* block = CoTaskMemAlloc(8);
                if (block == nullptr) ++failures;
                CoTaskMemFree(block);
            }
        });
    }
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(failures.load(), 1);
    EXPECT_EQ(PortableFaultAllocationCount(), static_cast<uint64_t>(kThreads * kPerThread));
}

TEST(LastErrorTest, IsKeptPerThread) {
    SetLastError(ERROR_INVALID_PARAMETER);
    DWORD seenByOther = 0xFFFFFFFFu;
    std::thread other([&seenByOther] {
        seenByOther = GetLastError();
        SetLastError(ERROR_NOT_SUPPORTED);
    });
    other.join();
    EXPECT_EQ(seenByOther, static_cast<DWORD>(ERROR_SUCCESS)) << "a new thread starts clear";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

}  // namespace
