// UTF-16 <-> UTF-8 at the runtime's boundary. Surrogate pairs become one 4-byte sequence and
// back; an unpaired surrogate, and each maximal ill-formed UTF-8 subsequence, becomes U+FFFD.
#include "runtime_internal.h"

#include <portable/test_support.h>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void AppendUtf16(std::u16string& out, char32_t c) {
    if (c < 0x10000) {
        out += static_cast<char16_t>(c);
        return;
    }
    c -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (c >> 10));
    out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
}

// The sequence length a lead byte announces and the range its first continuation byte must
// fall in, which excludes overlong forms, surrogates and values above U+10FFFF.
struct LeadByte {
    int length;  // 0: not a lead byte
    unsigned char low;
    unsigned char high;
};

LeadByte ClassifyLead(unsigned char b) {
    if (b < 0x80) return {1, 0, 0};
    if (b >= 0xC2 && b <= 0xDF) return {2, 0x80, 0xBF};
    if (b == 0xE0) return {3, 0xA0, 0xBF};
    if (b == 0xED) return {3, 0x80, 0x9F};
    if (b >= 0xE1 && b <= 0xEF) return {3, 0x80, 0xBF};
    if (b == 0xF0) return {4, 0x90, 0xBF};
    if (b >= 0xF1 && b <= 0xF3) return {4, 0x80, 0xBF};
    if (b == 0xF4) return {4, 0x80, 0x8F};
    return {0, 0, 0};
}

// Decodes one code point at `p` and advances past it (or past the ill-formed subsequence).
char32_t DecodeUtf8(const unsigned char*& p, const unsigned char* end) {
    const LeadByte lead = ClassifyLead(*p);
    if (lead.length == 0) {
        ++p;
        return kReplacement;
    }
    char32_t c = lead.length == 1 ? *p : *p & (0x7F >> lead.length);
    ++p;
    for (int i = 1; i < lead.length; ++i) {
        const unsigned char low = i == 1 ? lead.low : 0x80;
        const unsigned char high = i == 1 ? lead.high : 0xBF;
        if (p == end || *p < low || *p > high) return kReplacement;
        c = (c << 6) | (*p & 0x3F);
        ++p;
    }
    return c;
}

}  // namespace

PORTABLE_API std::string PortableToUtf8(const WCHAR* text, size_t length) {
    std::string out;
    out.reserve(length);
    for (size_t i = 0; i < length; ++i) {
        char32_t c = text[i];
        if (IsHighSurrogate(c) && i + 1 < length && IsLowSurrogate(text[i + 1])) {
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(text[i + 1]) - 0xDC00);
            ++i;
        } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
            c = kReplacement;
        }
        AppendUtf8(out, c);
    }
    return out;
}

PORTABLE_API std::u16string PortableFromUtf8(const char* text, size_t length) {
    std::u16string out;
    out.reserve(length);
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    const unsigned char* end = p + length;
    while (p != end) AppendUtf16(out, DecodeUtf8(p, end));
    return out;
}
