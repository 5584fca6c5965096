#include <session/text_codec.h>

#include <algorithm>

#ifndef _WIN32
#include <portable/test_support.h>
#endif

namespace coredriver {
namespace {

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Reads one code point at `i`, advancing it; false for an ill-formed sequence (overlong forms,
// surrogates and values above U+10FFFF included).
bool NextCodePoint(const std::string& bytes, size_t& i, char32_t& cp) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    size_t extra = 0;
    char32_t min = 0;
    if (lead < 0x80) {
        cp = lead;
    } else if ((lead & 0xE0) == 0xC0) {
        cp = lead & 0x1F, extra = 1, min = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        cp = lead & 0x0F, extra = 2, min = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        cp = lead & 0x07, extra = 3, min = 0x10000;
    } else {
        return false;
    }
    if (bytes.size() - i - 1 < extra) return false;
    for (size_t k = 1; k <= extra; ++k) {
        const auto next = static_cast<unsigned char>(bytes[i + k]);
        if (!IsContinuation(next)) return false;
        cp = (cp << 6) | (next & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += extra + 1;
    return true;
}

}  // namespace

bool DecodeUtf8(const std::string& bytes, WideString& text, size_t& badOffset) {
    text.clear();
    text.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        char32_t cp = 0;
        const size_t start = i;
        if (!NextCodePoint(bytes, i, cp)) {
            badOffset = start;
            return false;
        }
        if (cp < 0x10000) {
            text += static_cast<WCHAR>(cp);
        } else {
            cp -= 0x10000;
            text += static_cast<WCHAR>(0xD800 + (cp >> 10));
            text += static_cast<WCHAR>(0xDC00 + (cp & 0x3FF));
        }
    }
    return true;
}

#ifdef _WIN32
// In pieces that WideCharToMultiByte's int counts take, none ending inside a surrogate pair.
std::string EncodeUtf8(const WCHAR* text, size_t length) {
    constexpr size_t kPiece = size_t{1} << 28;
    std::string out;
    for (size_t done = 0; done < length;) {
        size_t piece = std::min(length - done, kPiece);
        if (piece < length - done && text[done + piece - 1] >= 0xD800 && text[done + piece - 1] <= 0xDBFF) --piece;
        const int units = static_cast<int>(piece);
        const int bytes = WideCharToMultiByte(CP_UTF8, 0, text + done, units, nullptr, 0, nullptr, nullptr);
        const size_t at = out.size();
        out.resize(at + static_cast<size_t>(bytes));
        WideCharToMultiByte(CP_UTF8, 0, text + done, units, out.data() + at, bytes, nullptr, nullptr);
        done += piece;
    }
    return out;
}
#else
std::string EncodeUtf8(const WCHAR* text, size_t length) { return PortableToUtf8(text, length); }
#endif

}  // namespace coredriver
