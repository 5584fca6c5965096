#include "boundary_strings.h"

#include <portable/test_support.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Sanitizers would report the whole-block reads of the measuring loop below.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define QP_ARGS_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
#define QP_ARGS_SANITIZED 1
#endif
#endif

namespace msxml {
namespace {

// Whether every unit is below 0x80. No early exit, so that the compiler can test many units
// per instruction.
bool IsAsciiUnits(const WCHAR* text, size_t length) {
    WCHAR bits = 0;
    for (size_t i = 0; i < length; ++i) bits |= text[i];
    return bits < 0x80;
}

#if defined(__SSE2__) && !defined(QP_ARGS_SANITIZED)
// The length of a string argument and whether it is ASCII, eight units per step. Every argument
// is measured, and namespace URIs run to seventy characters. The loads are aligned 16-byte
// blocks, which never cross a page, so the block holding the terminator may be read whole, as
// the C library's own string functions do.
size_t MeasureArgument(const WCHAR* text, bool& ascii) {
    const auto address = reinterpret_cast<uintptr_t>(text);
    if (address % sizeof(WCHAR) != 0) {
        const size_t length = WStrLen(text);
        ascii = IsAsciiUnits(text, length);
        return length;
    }
    const __m128i zero = _mm_setzero_si128();
    const auto* block = reinterpret_cast<const __m128i*>(address & ~uintptr_t{15});
    // The units of the first block before the argument read as zero for the ASCII test and are
    // masked out of the terminator test.
    const unsigned before = static_cast<unsigned>(address & 15);
    const __m128i keep = _mm_cmplt_epi8(_mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15),
                                        _mm_set1_epi8(static_cast<char>(before)));
    __m128i units = _mm_andnot_si128(keep, _mm_load_si128(block));
    unsigned ends = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(units, zero))) & (0xFFFFu << before);
    // Whole blocks are only OR-ed together; the block holding the terminator is masked after it.
    __m128i seen = zero;
    while (ends == 0) {
        seen = _mm_or_si128(seen, units);
        units = _mm_load_si128(++block);
        ends = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(units, zero)));
    }
    const unsigned at = static_cast<unsigned>(__builtin_ctz(ends));
    const __m128i tail = _mm_cmplt_epi8(_mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15),
                                        _mm_set1_epi8(static_cast<char>(at)));
    seen = _mm_or_si128(seen, _mm_and_si128(units, tail));
    const __m128i high = _mm_and_si128(seen, _mm_set1_epi16(static_cast<short>(0xFF80)));
    ascii = _mm_movemask_epi8(_mm_cmpeq_epi16(high, zero)) == 0xFFFF;
    return (reinterpret_cast<uintptr_t>(block) + at - address) / sizeof(WCHAR);
}
#else
size_t MeasureArgument(const WCHAR* text, bool& ascii) {
    const size_t length = WStrLen(text);
    ascii = IsAsciiUnits(text, length);
    return length;
}
#endif

}  // namespace

std::string ArgToUtf8(const WCHAR* text) {
    if (text == nullptr) return {};
    bool ascii = false;
    const size_t length = MeasureArgument(text, ascii);
    if (!ascii) return PortableToUtf8(text, length);
    std::string narrow(length, '\0');
    char* out = narrow.data();
    for (size_t i = 0; i < length; ++i) out[i] = static_cast<char>(text[i]);
    return narrow;
}

namespace {

// Whether ASCII `wide` and `narrow` of the same length hold the same characters, compared in
// one pass without an early exit (namespace URIs differ near their ends, if at all).
bool SameAsciiUnits(const WCHAR* wide, const char* narrow, size_t length) {
    size_t i = 0;
#if defined(__SSE2__)
    // Eight characters a step: the bytes widened to units and compared with the argument's.
    const __m128i zero = _mm_setzero_si128();
    __m128i differ = zero;
    for (; i + 8 <= length; i += 8) {
        const __m128i bytes = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(narrow + i)), zero);
        const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(wide + i));
        differ = _mm_or_si128(differ, _mm_xor_si128(bytes, units));
    }
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(differ, zero)) != 0xFFFF) return false;
#endif
    unsigned rest = 0;
    for (; i < length; ++i) rest |= static_cast<unsigned char>(narrow[i]) ^ wide[i];
    return rest == 0;
}

// Whether every byte is below 0x80, eight bytes at a time.
bool IsAscii(std::string_view text) {
    uint64_t bits = 0;
    size_t i = 0;
    for (; i + sizeof bits <= text.size(); i += sizeof bits) {
        uint64_t block;
        std::memcpy(&block, text.data() + i, sizeof block);
        bits |= block;
    }
    for (; i < text.size(); ++i) bits |= static_cast<unsigned char>(text[i]);
    return (bits & 0x8080808080808080ull) == 0;
}

}  // namespace

ArgText::ArgText(const WCHAR* text) : text_(text) {
    if (text_ == nullptr) return;
    length_ = MeasureArgument(text_, ascii_);
    if (!ascii_) converted_ = PortableToUtf8(text_, length_);
}

bool ArgText::SameAscii(const char* utf8) const { return SameAsciiUnits(text_, utf8, length_); }

bool ArgText::NamesQualified(const xmlChar* prefix, const xmlChar* local) const {
    if (!ascii_) {
        const size_t colon = converted_.find(':');
        if (colon == std::string::npos) return prefix == nullptr && View(local) == converted_;
        return prefix != nullptr && View(prefix) == std::string_view(converted_).substr(0, colon) &&
               View(local) == std::string_view(converted_).substr(colon + 1);
    }
    const auto same = [](const WCHAR* text, size_t length, const xmlChar* name) {
        const std::string_view bytes = View(name);
        return bytes.size() == length && SameAsciiUnits(text, bytes.data(), length);
    };
    size_t colon = 0;
    while (colon < length_ && text_[colon] != u':') ++colon;
    if (colon == length_) return prefix == nullptr && same(text_, length_, local);
    return prefix != nullptr && same(text_, colon, prefix) && same(text_ + colon + 1, length_ - colon - 1, local);
}

HRESULT NewBstr(std::string_view text, BSTR* out) {
    // ASCII, as names and most values are, widens straight into the BSTR.
    if (IsAscii(text)) {
        *out = SysAllocStringLen(nullptr, static_cast<UINT>(text.size()));
        if (*out == nullptr) return E_OUTOFMEMORY;
        std::copy(text.begin(), text.end(), *out);
        return S_OK;
    }
    const std::u16string wide = PortableFromUtf8(text.data(), text.size());
    *out = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT NewBstr(const xmlChar* text, BSTR* out) { return NewBstr(View(text), out); }

namespace {

// The caller-buffer protocol over ASCII bytes or UTF-16 units, one character each.
template <class Units>
HRESULT WriteToCallerBuffer(const Units& text, WCHAR* buffer, int* count) {
    const int length = static_cast<int>(text.size());
    if (buffer == nullptr) {
        *count = length;
        return S_OK;
    }
    if (*count < length + 1) {
        *count = length;
        return E_XML_BUFFERTOOSMALL;
    }
    std::copy(text.begin(), text.end(), buffer);
    buffer[length] = 0;
    *count = length;
    return S_OK;
}

}  // namespace

HRESULT CopyToCallerBuffer(std::string_view text, WCHAR* buffer, int* count) {
    // ASCII, as prefixes and URIs are, is widened straight into the buffer.
    if (IsAscii(text)) return WriteToCallerBuffer(text, buffer, count);
    return WriteToCallerBuffer(PortableFromUtf8(text.data(), text.size()), buffer, count);
}

}  // namespace msxml
