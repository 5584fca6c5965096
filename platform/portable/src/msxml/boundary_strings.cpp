#include "boundary_strings.h"

#include <portable/test_support.h>

#include <algorithm>

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

HRESULT NewBstr(std::string_view text, BSTR* out) {
    // ASCII, as names and most values are, widens straight into the BSTR.
    if (std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
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
