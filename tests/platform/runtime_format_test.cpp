// _vsnwprintf: the three buffer boundaries of Microsoft's contract, never a write past the
// count, the conversions the plug-in uses, and a refusal of every other.
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

    const Formatted number = FormatGuarded(3, W("%d"), -12345);
    EXPECT_EQ(number.result, -1);
    EXPECT_EQ(number.text, u"-12");
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
        {FormatGuarded(64, W("%d|%d|%d|%d"), 0, -17, INT32_MAX, INT32_MIN), u"0|-17|2147483647|-2147483648"},
        {FormatGuarded(64, W("%s:%s"), W("psk"), W("JobOutputBin")), u"psk:JobOutputBin"},
        {FormatGuarded(64, W("%s"), W("")), u""},
        {FormatGuarded(64, W("%s"), nullString), u"(null)"},
        {FormatGuarded(64, W("%c%c|100%%"), u'\u20ac', u'n'), u"\u20acn|100%"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.actual.text, c.expected);
        EXPECT_EQ(c.actual.result, static_cast<int>(c.expected.size()));
    }
}

TEST_F(FormatTest, AMalformedOrUnsupportedConversionIsAnErrorWithAnEmptyBuffer) {
    const WCHAR* const formats[] = {W("abc%"), W("abc%q"), W("%x"), W("%u"), W("%i"), W("%5d"), W("%-d"),
                                    W("%.2s"), W("%*d"), W("%ld"), W("%lld"), W("%ls"), W("%hs"), W("%S")};
    for (const WCHAR* format : formats) {
        const Formatted f = FormatGuarded(16, format, 7);
        const std::u16string name = format;
        EXPECT_EQ(f.result, -1) << std::string(name.begin(), name.end());
        EXPECT_EQ(f.text, u"") << std::string(name.begin(), name.end());
    }
}

}  // namespace
