#include "boundary_strings.h"

#include <portable/test_support.h>

namespace msxml {

std::string ArgToUtf8(const WCHAR* text) {
    if (text == nullptr) return {};
    return PortableToUtf8(text, WStrLen(text));
}

bool SameText(std::string_view utf8, const WCHAR* text) {
    size_t i = 0;
    for (; i < utf8.size(); ++i) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if (text[i] >= 0x80 || byte >= 0x80) break;
        if (text[i] == 0 || text[i] != byte) return false;
    }
    if (i == utf8.size()) return text[i] == 0;
    return ArgToUtf8(text + i) == utf8.substr(i);
}

HRESULT NewBstr(std::string_view text, BSTR* out) {
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
