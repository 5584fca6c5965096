// BSTR layout and lengths, task memory and the UTF-8 boundary helpers.
#include "support/ledger_check.h"

#include <platform/com_ptr.h>

#include <cstring>
#include <malloc.h>
#include <string>
#include <thread>
#include <vector>

namespace {

class BstrTest : public LedgerTest {};

TEST_F(BstrTest, LengthComesFromThePrefixNotFromTheFirstNul) {
    const WCHAR text[] = {u'a', 0, u'b', u'c'};
    Bstr s = Bstr::Attach(SysAllocStringLen(text, 4));
    ASSERT_TRUE(s);
    EXPECT_EQ(SysStringLen(s.get()), 4u);
    EXPECT_EQ(SysStringByteLen(s.get()), 8u);
    EXPECT_EQ(std::memcmp(s.get(), text, sizeof text), 0);
    EXPECT_EQ(s.get()[4], 0) << "terminated after the last character";
    uint32_t prefix;
    std::memcpy(&prefix, reinterpret_cast<const char*>(s.get()) - 4, sizeof prefix);
    EXPECT_EQ(prefix, 8u) << "the byte count sits just before the first character";
}

TEST_F(BstrTest, AllocStringStopsAtTheTerminator) {
    Bstr s = Bstr::Copy(W("hello"));
    ASSERT_TRUE(s);
    EXPECT_EQ(s.Length(), 5u);
    EXPECT_TRUE(WStrEqual(s.get(), W("hello")));

    Bstr empty = Bstr::Copy(W(""));
    ASSERT_TRUE(empty) << "an empty string is a real BSTR, not null";
    EXPECT_EQ(empty.Length(), 0u);
}

TEST_F(BstrTest, NullSourceGivesATerminatedStringOfTheRequestedLength) {
    Bstr s = Bstr::Attach(SysAllocStringLen(nullptr, 7));
    ASSERT_TRUE(s);
    EXPECT_EQ(s.Length(), 7u);
    EXPECT_EQ(s.get()[7], 0);
}

TEST_F(BstrTest, NullArgumentsAreHarmless) {
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    EXPECT_EQ(SysStringByteLen(nullptr), 0u);
    SysFreeString(nullptr);
    CoTaskMemFree(nullptr);
}

TEST_F(BstrTest, ALengthWhoseByteCountOverflowsIsRefused) {
    EXPECT_EQ(SysAllocStringLen(nullptr, 0x80000000u), nullptr);
    EXPECT_EQ(SysAllocStringLen(nullptr, 0xFFFFFFFFu), nullptr);
}

TEST_F(BstrTest, BlocksFreedAndTakenAgainOnOtherThreadsHoldTheirNewLengthAndText) {
    // Short strings of every length, freed and made again in a different order, on this thread
    // and on others, so that blocks pass between sizes and threads.
    const auto churn = [](int seed, std::vector<Bstr>& held) {
        for (int round = 0; round < 3; ++round) {
            for (UINT length = 0; length <= 80; ++length) {
                std::u16string text(length, static_cast<WCHAR>(u'a' + (length + seed + round) % 26));
                held.push_back(Bstr::Attach(SysAllocStringLen(text.c_str(), length)));
                ASSERT_TRUE(held.back());
                EXPECT_EQ(held.back().Length(), length);
                EXPECT_EQ(std::u16string(held.back().get(), length), text);
                EXPECT_EQ(held.back().get()[length], 0);
            }
            for (size_t i = round % 2; i < held.size(); i += 2) held[i].reset();
        }
    };
    std::vector<Bstr> fromOtherThread;
    std::thread([&] { churn(1, fromOtherThread); }).join();
    std::vector<Bstr> mine;
    churn(2, mine);
    fromOtherThread.clear();  // freed here, made there
    std::thread([&] { mine.clear(); }).join();
}

// A BSTR made while its thread is ending (after the thread's cache of blocks is gone) and freed
// on a thread that keeps blocks must still have room for any string that block is given to next.
struct MadeAtThreadExit {
    BSTR* out = nullptr;
    ~MadeAtThreadExit() {
        if (out) *out = SysAllocString(W("ninechars"));
    }
};

TEST_F(BstrTest, BlocksMadeAsAThreadEndsHoldAnyStringOfTheirSizeLater) {
    BSTR made = nullptr;
    std::thread([&] {
        // Made before the thread first uses BSTRs, so it is destroyed after the thread's cache.
        thread_local MadeAtThreadExit last;
        last.out = &made;
        SysFreeString(SysAllocString(W("opens the cache")));
    }).join();
    ASSERT_NE(made, nullptr);
    const auto* block = reinterpret_cast<unsigned char*>(made) - sizeof(uint32_t);
    // Strings of that size held first, so that this thread's cache has room for the block.
    const std::u16string sixteen(16, u'x');
    std::vector<Bstr> held;
    for (int i = 0; i < 8; ++i) held.push_back(Bstr::Attach(SysAllocStringLen(sixteen.c_str(), 16)));
    SysFreeString(made);
    // The longest string of the same size takes the block back from this thread's cache.
    std::vector<Bstr> taken;
    bool reused = false;
    for (int i = 0; i < 8; ++i) {
        taken.push_back(Bstr::Attach(SysAllocStringLen(sixteen.c_str(), 16)));
        const auto* mine = reinterpret_cast<unsigned char*>(taken.back().get()) - sizeof(uint32_t);
        if (mine != block) continue;
        reused = true;
        EXPECT_GE(malloc_usable_size(const_cast<unsigned char*>(mine)), sizeof(uint32_t) + 17 * sizeof(WCHAR));
    }
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    EXPECT_TRUE(reused) << "the freed block went to this thread's cache and came back";
#else
    static_cast<void>(reused);  // sanitizer builds keep no blocks
#endif
}

TEST_F(BstrTest, ZeroByteTaskMemoryIsARealBlock) {
    const int64_t blocksBefore = PortableLedgerRead().taskMemBlocks;
    CoTaskMemPtr<char> block(static_cast<char*>(CoTaskMemAlloc(0)));
    EXPECT_TRUE(block);
    EXPECT_EQ(PortableLedgerRead().taskMemBlocks, blocksBefore + 1) << "counted until freed";
}

TEST(LedgerAccounting, CatchesALeakedBstrAndTaskBlockAndBalancesAfterFreeing) {
    const PortableLedger before = PortableLedgerRead();
    BSTR leaked = SysAllocString(W("leak"));
    void* block = CoTaskMemAlloc(16);
    const PortableLedger during = PortableLedgerRead();
    EXPECT_EQ(during.bstrs, before.bstrs + 1);
    EXPECT_EQ(during.taskMemBlocks, before.taskMemBlocks + 1);
    EXPECT_EQ(during.domObjects, before.domObjects);
    SysFreeString(leaked);
    CoTaskMemFree(block);
    EXPECT_LEDGER_BALANCED(before);
}

class Utf8Test : public LedgerTest {};

TEST_F(Utf8Test, NonBmpCharacterRoundTripsThroughOneFourByteSequence) {
    const std::u16string text = u"a\u00e9\u20ac\U0001F5A8z";  // a, e acute, euro, printer emoji, z
    const std::string utf8 = PortableToUtf8(text.data(), text.size());
    EXPECT_EQ(utf8, "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x96\xA8z");
    EXPECT_EQ(PortableFromUtf8(utf8.data(), utf8.size()), text);
}

TEST_F(Utf8Test, UnpairedSurrogatesBecomeReplacementCharacters) {
    const char16_t lone[] = {u'x', 0xD800, u'y', 0xDC00};
    EXPECT_EQ(PortableToUtf8(lone, 4), "x\xEF\xBF\xBDy\xEF\xBF\xBD");
    const char16_t highAtEnd[] = {0xD83D};
    EXPECT_EQ(PortableToUtf8(highAtEnd, 1), "\xEF\xBF\xBD");
}

TEST_F(Utf8Test, IllFormedUtf8BecomesOneReplacementPerBadSubsequence) {
    struct Case {
        std::string input;
        std::u16string expected;
    };
    const Case cases[] = {
        {"a\x80z", u"a\uFFFDz"},                   // stray continuation byte
        {"\xC0\xAF", u"\uFFFD\uFFFD"},             // overlong '/'
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},   // an encoded surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // above U+10FFFF
        {"\xE2\x82", u"\uFFFD"},                   // truncated at the end
        {"\xE2\x82z", u"\uFFFDz"},                 // truncated before an ASCII byte
        {std::string("a\0b", 3), std::u16string(u"a\0b", 3)},  // NUL is a character, not an end
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PortableFromUtf8(c.input.data(), c.input.size()), c.expected) << "input bytes: " << c.input.size();
    }
}

}  // namespace
