#include "boundary_strings.h"

#include "../runtime_internal.h"

#include <portable/test_support.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace msxml {
namespace {

#if defined(__SSE2__) && !defined(QP_RUNTIME_SANITIZED)
// A block whose first `count` bytes (0 to 16) are all ones and the rest zero.
__m128i LeadingBytes(unsigned count) {
    alignas(16) static constexpr unsigned char kOnesThenZeros[32] = {
        0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(kOnesThenZeros + 16 - count));
}

// The length of a string argument and whether it is ASCII, eight units per step. Every argument
// is measured, and namespace URIs run to seventy characters. The loads are aligned 16-byte
// blocks, which never cross a page, so the block holding the terminator may be read whole, as
// the C library's own string functions do.
size_t MeasureArgument(const WCHAR* text, bool& ascii) {
    const auto address = reinterpret_cast<uintptr_t>(text);
    if (address % sizeof(WCHAR) != 0) {
        const size_t length = WStrLen(text);
        ascii = AllAsciiUnits(text, length);
        return length;
    }
    const __m128i zero = _mm_setzero_si128();
    const auto* block = reinterpret_cast<const __m128i*>(address & ~uintptr_t{15});
    // The units of the first block before the argument read as zero for the ASCII test and are
    // masked out of the terminator test.
    const unsigned before = static_cast<unsigned>(address & 15);
    __m128i units = _mm_andnot_si128(LeadingBytes(before), _mm_load_si128(block));
    unsigned ends = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(units, zero))) & (0xFFFFu << before);
    // Whole blocks are only OR-ed together, two a step; the block holding the terminator is
    // masked after it.
    __m128i seen = zero;
    while (ends == 0) {
        seen = _mm_or_si128(seen, units);
        const __m128i next = _mm_load_si128(block + 1);
        const unsigned nextEnds = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(next, zero)));
        if (nextEnds != 0) {
            units = next;
            ends = nextEnds;
            ++block;
            break;
        }
        // Only now is the block after known to hold more of the argument.
        seen = _mm_or_si128(seen, next);
        block += 2;
        units = _mm_load_si128(block);
        ends = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(units, zero)));
    }
    const unsigned at = static_cast<unsigned>(__builtin_ctz(ends));
    seen = _mm_or_si128(seen, _mm_and_si128(units, LeadingBytes(at)));
    const __m128i high = _mm_and_si128(seen, _mm_set1_epi16(static_cast<short>(0xFF80)));
    ascii = _mm_movemask_epi8(_mm_cmpeq_epi16(high, zero)) == 0xFFFF;
    return (reinterpret_cast<uintptr_t>(block) + at - address) / sizeof(WCHAR);
}
#else
size_t MeasureArgument(const WCHAR* text, bool& ascii) {
    const size_t length = WStrLen(text);
    ascii = AllAsciiUnits(text, length);
    return length;
}
#endif

}  // namespace

std::string ArgToUtf8(const WCHAR* text) {
    std::string utf8;
    ArgToUtf8(text, utf8);
    return utf8;
}

void ArgToUtf8(const WCHAR* text, std::string& utf8) {
    if (text == nullptr) {
        utf8.clear();
        return;
    }
    bool ascii = false;
    const size_t length = MeasureArgument(text, ascii);
    if (!ascii) {
        utf8 = PortableToUtf8(text, length);
        return;
    }
    utf8.resize(length);
    char* out = utf8.data();
    size_t i = 0;
#if defined(__SSE2__)
    // Sixteen characters a step; every unit is below 0x80, so packing them loses nothing.
    for (; i + 16 <= length; i += 16) {
        const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
        const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i + 8));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(low, high));
    }
    // Names are shorter: eight a step, then the last eight, overlapping.
    const auto narrowEight = [&](size_t at) {
        const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + at), _mm_packus_epi16(units, units));
    };
    for (; i + 8 <= length; i += 8) narrowEight(i);
    if (i < length && length >= 8) {
        narrowEight(length - 8);
        i = length;
    }
#endif
    for (; i < length; ++i) out[i] = static_cast<char>(text[i]);
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
    const auto compare = [&](size_t at) {
        const __m128i bytes = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(narrow + at)), zero);
        const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(wide + at));
        differ = _mm_or_si128(differ, _mm_xor_si128(bytes, units));
    };
    for (; i + 8 <= length; i += 8) compare(i);
    if (i < length && length >= 8) {
        compare(length - 8);  // the last eight, overlapping what was compared
        i = length;
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
    if (i < text.size() && text.size() >= sizeof bits) {
        // The last eight bytes, overlapping what was read already.
        uint64_t block;
        std::memcpy(&block, text.data() + text.size() - sizeof block, sizeof block);
        bits |= block;
        i = text.size();
    }
    if (text.size() - i >= 4) {
        // Four to seven bytes: the first four and the last four.
        uint32_t first;
        uint32_t last;
        std::memcpy(&first, text.data() + i, sizeof first);
        std::memcpy(&last, text.data() + text.size() - sizeof last, sizeof last);
        bits |= first | last;
        i = text.size();
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

bool ArgText::SameAscii(const char* utf8) const {
#if defined(__SSE2__)
    // Namespace URIs, seventy characters and more: sixteen a step, then the last sixteen.
    if (length_ >= 16) {
        const __m128i zero = _mm_setzero_si128();
        __m128i differ = zero;
        const auto compare = [&](size_t at) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(utf8 + at));
            const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text_ + at));
            const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text_ + at + 8));
            differ = _mm_or_si128(differ, _mm_xor_si128(_mm_unpacklo_epi8(bytes, zero), low));
            differ = _mm_or_si128(differ, _mm_xor_si128(_mm_unpackhi_epi8(bytes, zero), high));
        };
        for (size_t i = 0; i + 16 <= length_; i += 16) compare(i);
        compare(length_ - 16);
        return _mm_movemask_epi8(_mm_cmpeq_epi8(differ, zero)) == 0xFFFF;
    }
#endif
    return SameAsciiUnits(text_, utf8, length_);
}

bool ArgText::NamesQualified(const xmlChar* prefix, const xmlChar* local) const {
    if (!ascii_) {
        const std::string_view converted = *converted_;
        const size_t colon = converted.find(':');
        if (colon == std::string::npos) return prefix == nullptr && View(local) == converted;
        return prefix != nullptr && View(prefix) == converted.substr(0, colon) &&
               View(local) == converted.substr(colon + 1);
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
    const int bytes = static_cast<int>(text.size());
    if (buffer != nullptr && *count > bytes) {
        // Widened and tested for ASCII in one pass, as prefixes and URIs are; other text is
        // written again below, in no more room than this took.
        unsigned bits = 0;
        for (int i = 0; i < bytes; ++i) {
            const auto byte = static_cast<unsigned char>(text[static_cast<size_t>(i)]);
            bits |= byte;
            buffer[i] = byte;
        }
        if (bits < 0x80) {
            buffer[bytes] = 0;
            *count = bytes;
            return S_OK;
        }
    }
    // ASCII, as prefixes and URIs are, is widened straight into the buffer.
    if (IsAscii(text)) return WriteToCallerBuffer(text, buffer, count);
    return WriteToCallerBuffer(PortableFromUtf8(text.data(), text.size()), buffer, count);
}

}  // namespace msxml
