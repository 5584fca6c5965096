#include "boundary_strings.h"

#include "../runtime_internal.h"

#include <portable/test_support.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace msxml {
namespace {

// The length of a string argument and whether it is ASCII.
size_t MeasureArgument(const WCHAR* text, bool& ascii) {
    const size_t length = WStrLen(text);
    ascii = AllAsciiUnits(text, length);
    return length;
}

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
    for (size_t i = 0; i < length; ++i) out[i] = static_cast<char>(text[i]);
}

namespace {

// Whether ASCII `wide` and `narrow` of the same length hold the same characters, compared in
// one pass without an early exit (namespace URIs differ near their ends, if at all).
bool SameAsciiUnits(const WCHAR* wide, const char* narrow, size_t length) {
    unsigned rest = 0;
    for (size_t i = 0; i < length; ++i) rest |= static_cast<unsigned char>(narrow[i]) ^ wide[i];
    return rest == 0;
}

}  // namespace

ArgText::ArgText(const WCHAR* text) : text_(text) {
    if (text_ == nullptr) return;
    length_ = MeasureArgument(text_, ascii_);
    if (!ascii_) converted_ = PortableToUtf8(text_, length_);
}

bool ArgText::SameAscii(const char* utf8) const {
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
    const std::u16string wide = PortableFromUtf8(text.data(), text.size());
    *out = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT NewBstr(const xmlChar* text, BSTR* out) { return NewBstr(View(text), out); }

namespace {

HRESULT WriteToCallerBuffer(const std::u16string& text, WCHAR* buffer, int* count) {
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
    return WriteToCallerBuffer(PortableFromUtf8(text.data(), text.size()), buffer, count);
}

}  // namespace msxml
