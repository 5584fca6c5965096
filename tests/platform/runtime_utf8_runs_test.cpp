// The conversions copy runs of ASCII in one step and encode the rest one code point at a time;
// text that switches between the two, at either end and mid-run, must come out exactly as
// encoding every code point would.
#include <support/ledger_check.h>

#include <string>

namespace {

class Utf8RunsTest : public LedgerTest {};

TEST_F(Utf8RunsTest, AsciiRunsAndEncodedCharactersInterleave) {
    struct Case {
        std::u16string utf16;
        std::string utf8;
    };
    const Case cases[] = {
        {u"", ""},
        {u"psk:JobOutputBin", "psk:JobOutputBin"},
        {u"\u00e9", "\xC3\xA9"},
        {u"\u00e9abc", "\xC3\xA9" "abc"},
        {u"abc\u00e9", "abc\xC3\xA9"},
        {u"a\u20acb\u00e9\u00e9c", "a\xE2\x82\xAC" "b\xC3\xA9\xC3\xA9" "c"},
        {u"x\U0001F600y", "x\xF0\x9F\x98\x80y"},
        {u"\u007f\u0080", "\x7F\xC2\x80"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PortableToUtf8(c.utf16.data(), c.utf16.size()), c.utf8) << c.utf8;
        EXPECT_EQ(PortableFromUtf8(c.utf8.data(), c.utf8.size()), c.utf16) << c.utf8;
    }
}

TEST_F(Utf8RunsTest, IllFormedInputBetweenAsciiRunsIsReplacedInPlace) {
    const char16_t loneLow[] = {u'a', u'b', 0xDC00, u'c', 0xD800};
    EXPECT_EQ(PortableToUtf8(loneLow, 5), "ab\xEF\xBF\xBD" "c\xEF\xBF\xBD");
    const std::string badBytes = "ab\xC3" "cd\xFF";
    EXPECT_EQ(PortableFromUtf8(badBytes.data(), badBytes.size()), u"ab\uFFFDcd\uFFFD");
    // Only the stated length is read: an embedded NUL is text, and nothing past the end is.
    const char16_t withNul[] = {u'a', 0, u'b', u'z'};
    EXPECT_EQ(PortableToUtf8(withNul, 3), std::string("a\0b", 3));
}

}  // namespace
