// Every test case ends by checking that nothing leaked: derive fixtures from LedgerTest, or
// use EXPECT_LEDGER_BALANCED(before) around a region.
#pragma once

#include <gtest/gtest.h>
#include <portable/test_support.h>

inline bool operator==(const PortableLedger& a, const PortableLedger& b) {
    return a.bstrs == b.bstrs && a.taskMemBlocks == b.taskMemBlocks && a.domObjects == b.domObjects;
}

inline void PrintTo(const PortableLedger& l, std::ostream* os) {
    *os << "{bstrs " << l.bstrs << ", task blocks " << l.taskMemBlocks << ", DOM objects " << l.domObjects << "}";
}

#define EXPECT_LEDGER_BALANCED(before) EXPECT_EQ(PortableLedgerRead(), (before)) << "resources leaked"

// Snapshots the ledger before each test and fails the test if it differs afterwards.
// Fixtures release everything they hold in TearDown before calling LedgerTest::TearDown.
class LedgerTest : public ::testing::Test {
protected:
    void SetUp() override {
        PortableFaultDisarm();
        before_ = PortableLedgerRead();
    }
    void TearDown() override {
        PortableFaultDisarm();
        EXPECT_LEDGER_BALANCED(before_);
    }

private:
    PortableLedger before_{};
};
