// FormatString: bounded formatting that always terminates and reports a cut.
#include "support/ledger_check.h"

#include <common/format_string.h>

#include <array>
#include <string>

namespace {

using qp::FormatString;

constexpr HRESULT kCut = HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
constexpr WCHAR kFill = u'#';

struct FormatCase {
    size_t n;
    HRESULT result;
    std::u16string text;
};

class FormatStringTest : public LedgerTest {};

TEST_F(FormatStringTest, CutsAtNMinusOneAndAlwaysTerminates) {
    // "abc-42" is six characters: it fits from n = 7, fills n = 7 exactly, and is cut below.
    for (const FormatCase& c : {FormatCase{1, kCut, u""}, FormatCase{2, kCut, u"a"}, FormatCase{6, kCut, u"abc-4"},
                                FormatCase{7, S_OK, u"abc-42"}, FormatCase{8, S_OK, u"abc-42"},
                                FormatCase{64, S_OK, u"abc-42"}}) {
        std::array<WCHAR, 80> buffer;
        buffer.fill(kFill);
        EXPECT_EQ(FormatString(buffer.data(), c.n, W("%s%d"), W("abc"), -42), c.result) << "n = " << c.n;
        EXPECT_EQ(std::u16string(buffer.data()), c.text) << "n = " << c.n;
        EXPECT_EQ(buffer[c.n], kFill) << "wrote past the buffer, n = " << c.n;
    }
    std::array<WCHAR, 2> one{kFill, kFill};
    EXPECT_EQ(FormatString(one.data(), 1, W("")), S_OK);
    EXPECT_EQ(one[0], 0);
}

TEST_F(FormatStringTest, RefusesSizesOutOfRangeWithoutTouchingTheBuffer) {
    std::array<WCHAR, 4> buffer{kFill, kFill, kFill, kFill};
    EXPECT_EQ(FormatString(buffer.data(), 0, W("x")), E_INVALIDARG);
    EXPECT_EQ(FormatString(buffer.data(), size_t{0x80000000}, W("x")), E_INVALIDARG);
    EXPECT_EQ(FormatString(buffer.data(), 4, nullptr), E_INVALIDARG);
    EXPECT_EQ(FormatString(nullptr, 4, W("x")), E_INVALIDARG);
    EXPECT_EQ(buffer, (std::array<WCHAR, 4>{kFill, kFill, kFill, kFill}));
}

}  // namespace
