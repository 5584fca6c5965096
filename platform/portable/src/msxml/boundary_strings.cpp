#include "boundary_strings.h"

#include <portable/test_support.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace msxml {

std::string ArgToUtf8(const WCHAR* text) {
    if (text == nullptr) return {};
    return PortableToUtf8(text, WStrLen(text));
}

ArgText::ArgText(const WCHAR* text) : text_(text) {
    if (text_ == nullptr) return;
    for (; text_[length_] != 0; ++length_) ascii_ = ascii_ && text_[length_] < 0x80;
    if (!ascii_) converted_ = PortableToUtf8(text_, length_);
}

bool ArgText::Equals(std::string_view utf8) const {
    if (!ascii_) return utf8 == converted_;
    if (utf8.size() != length_) return false;
    // Namespace URIs share long beginnings: compare from the end.
    for (size_t i = length_; i-- > 0;) {
        if (static_cast<unsigned char>(utf8[i]) != text_[i]) return false;
    }
    return true;
}

namespace {

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

bool ArgText::NamesQualified(const xmlChar* prefix, const xmlChar* local) const {
    if (!ascii_) {
        const size_t colon = converted_.find(':');
        if (colon == std::string::npos) return prefix == nullptr && View(local) == converted_;
        return prefix != nullptr && View(prefix) == std::string_view(converted_).substr(0, colon) &&
               View(local) == std::string_view(converted_).substr(colon + 1);
    }
    const auto same = [](const WCHAR* text, size_t length, const xmlChar* name) {
        const std::string_view bytes = View(name);
        if (bytes.size() != length) return false;
        for (size_t i = 0; i < length; ++i) {
            if (static_cast<unsigned char>(bytes[i]) != text[i]) return false;
        }
        return true;
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

HRESULT CopyToCallerBuffer(std::string_view text, WCHAR* buffer, int* count) {
    const std::u16string wide = PortableFromUtf8(text.data(), text.size());
    const int length = static_cast<int>(wide.size());
    if (buffer == nullptr) {
        *count = length;
        return S_OK;
    }
    if (*count < length + 1) {
        *count = length;
        return E_XML_BUFFERTOOSMALL;
    }
    wide.copy(buffer, wide.size());
    buffer[length] = 0;
    *count = length;
    return S_OK;
}

}  // namespace msxml
