// _vsnwprintf: the three buffer boundaries of Microsoft's contract, never a write past the
// count, and the conversions the plug-in and its hosts use.
#include "support/ledger_check.h"

#include <platform/platform.h>

#include <array>
#include <cstdarg>
#include <string>

namespace {

constexpr WCHAR kCanary = 0xBEEF;

int Format(WCHAR* buffer, size_t count, const WCHAR* format, ...) {
    va_list args;
    va_start(args, format);
    const int result = _vsnwprintf(buffer, count, format, args);
    va_end(args);
    return result;
}

// Formats into a buffer of `count` characters followed by guard characters, checks that the
// guard is intact, and returns what the buffer holds up to its terminator or its end.
struct Formatted {
    int result;
    std::u16string text;
    bool terminated;
};

template <class... Args>
Formatted FormatGuarded(size_t count, const WCHAR* format, Args... args) {
    std::array<WCHAR, 64> storage;
    storage.fill(kCanary);
    const int result = Format(storage.data(), count, format, args...);
    for (size_t i = count; i < storage.size(); ++i) {
        EXPECT_EQ(storage[i], kCanary) << "written past count at " << i;
    }
    size_t length = 0;
    while (length < count && storage[length] != 0) ++length;
    return Formatted{result, std::u16string(storage.data(), length), length < count};
}

class FormatTest : public LedgerTest {};

TEST_F(FormatTest, OutputThatFitsIsTerminatedAndCounted) {
    const Formatted f = FormatGuarded(10, W("%s-%d"), W("ab"), 42);
    EXPECT_EQ(f.result, 5);
    EXPECT_EQ(f.text, u"ab-42");
    EXPECT_TRUE(f.terminated);
}

TEST_F(FormatTest, OutputOfExactlyTheBufferSizeIsNotTerminated) {
    const Formatted f = FormatGuarded(5, W("%s-%d"), W("ab"), 42);
    EXPECT_EQ(f.result, 5);
    EXPECT_EQ(f.text, u"ab-42");
    EXPECT_FALSE(f.terminated);
}

TEST_F(FormatTest, OutputTooLongFillsTheBufferUnterminatedAndReturnsMinusOne) {
    const Formatted f = FormatGuarded(4, W("%s-%d"), W("ab"), 42);
    EXPECT_EQ(f.result, -1);
    EXPECT_EQ(f.text, u"ab-4");
    EXPECT_FALSE(f.terminated);

    const Formatted padded = FormatGuarded(3, W("%10d"), 7);
    EXPECT_EQ(padded.result, -1);
    EXPECT_EQ(padded.text, u"   ");
}

TEST_F(FormatTest, ZeroCountWritesNothing) {
    EXPECT_EQ(FormatGuarded(0, W("x")).result, -1);
    EXPECT_EQ(FormatGuarded(0, W("")).result, 0);
}

TEST_F(FormatTest, Conversions) {
    struct Case {
        Formatted actual;
        std::u16string expected;
    };
    const WCHAR* nullString = nullptr;
    const Case cases[] = {
        {FormatGuarded(64, W("%d|%i|%d"), 0, -17, INT32_MIN), u"0|-17|-2147483648"},
        {FormatGuarded(64, W("%u|%x|%X|%#x"), 4294967295u, 255u, 0xABCu, 16u), u"4294967295|ff|ABC|0x10"},
        {FormatGuarded(64, W("[%5d][%-5d][%05d][%.3d][%+d]"), 42, 42, -42, 7, 3), u"[   42][42   ][-0042][007][+3]"},
        {FormatGuarded(64, W("[%*d][%-*d]"), 4, 1, 3, 2), u"[   1][2  ]"},
        {FormatGuarded(64, W("[%6s][%-6s][%.2s]"), W("abc"), W("abc"), W("abc")), u"[   abc][abc   ][ab]"},
        {FormatGuarded(64, W("%s|%ls|%ws|%hs|%S"), W("w"), W("l"), W("ws"), "narrow", "S"), u"w|l|ws|narrow|S"},
        {FormatGuarded(64, W("%s"), nullString), u"(null)"},
        {FormatGuarded(64, W("[%.2hs][%.9hs][%.0s]%s"), "abc", "abc", W("abc"), W("tail")), u"[ab][abc][]tail"},
        {FormatGuarded(64, W("%c%hc%%%lc"), u'\u20ac', 'n', u'w'), u"\u20acn%w"},
        {FormatGuarded(64, W("%ld|%lu|%hd|%lld|%I64d"), -5, 5u, 70000, -9000000000LL, 9000000000LL),
         u"-5|5|4464|-9000000000|9000000000"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.actual.text, c.expected);
        EXPECT_EQ(c.actual.result, static_cast<int>(c.expected.size()));
    }
}

TEST_F(FormatTest, AMalformedConversionIsAnErrorWithAnEmptyBuffer) {
    const Formatted dangling = FormatGuarded(16, W("abc%"));
    EXPECT_EQ(dangling.result, -1);
    EXPECT_EQ(dangling.text, u"");
    const Formatted unknown = FormatGuarded(16, W("abc%q"));
    EXPECT_EQ(unknown.result, -1);
    EXPECT_EQ(unknown.text, u"");
}

}  // namespace
