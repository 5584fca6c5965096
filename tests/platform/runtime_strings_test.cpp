// BSTR layout and lengths, task memory and the UTF-8 boundary helpers.
#include "support/ledger_check.h"

#include <platform/com_ptr.h>

#include <cstring>
#include <string>

using qp::Bstr;
using qp::CoTaskMemPtr;

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

TEST_F(Utf8Test, EachSequenceLengthRoundTripsAtItsBoundariesAndOnlyTheStatedLengthIsRead) {
    const std::u16string text = u"\u007f\u0080\u07ff\u0800\uffff\U00010000\U0010FFFF";
    const std::string utf8 = PortableToUtf8(text.data(), text.size());
    EXPECT_EQ(utf8, "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF");
    EXPECT_EQ(PortableFromUtf8(utf8.data(), utf8.size()), text);
    const char16_t withNul[] = {u'a', 0, u'b', u'z'};
    EXPECT_EQ(PortableToUtf8(withNul, 3), std::string("a\0b", 3));
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
