#include "boundary_strings.h"

#include <portable/test_support.h>

#include <algorithm>

namespace msxml {

std::string ArgToUtf8(const WCHAR* text) {
    if (text == nullptr) return std::string();
    const size_t length = WStrLen(text);
    // Names and URIs are ASCII: narrowed in one copy, since encoding them a character at a time
    // costs the ticket's conversion over half again.
    WCHAR bits = 0;
    for (size_t i = 0; i < length; ++i) bits |= text[i];
    if (bits >= 0x80) return PortableToUtf8(text, length);
    return std::string(text, text + length);
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

HRESULT CopyCountingCharactersOnly(std::string_view text, WCHAR* buffer, int* count) {
    return WriteToCallerBuffer(PortableFromUtf8(text.data(), text.size()), buffer, count);
}

}  // namespace msxml
