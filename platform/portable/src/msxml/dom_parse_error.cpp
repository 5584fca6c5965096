#include "dom_parse_error.h"

#include "boundary_strings.h"

#include <new>

namespace msxml {
namespace {

HRESULT OptionalText(const std::string& text, BSTR* out) {
    if (out == nullptr) return E_INVALIDARG;
    *out = nullptr;
    if (text.empty()) return S_FALSE;
    return NewBstr(text, out);
}

HRESULT Number(LONG value, LONG* out) {
    if (out == nullptr) return E_INVALIDARG;
    *out = value;
    return S_OK;
}

}  // namespace

HRESULT DomParseError::Create(const ParseFailure& failure, IXMLDOMParseError** out) {
    *out = nullptr;
    DomParseError* error = NewObject<DomParseError>();
    if (error == nullptr) return E_OUTOFMEMORY;
    try {
        error->failure_ = failure;
    } catch (const std::bad_alloc&) {
        error->Release();
        return E_OUTOFMEMORY;
    }
    *out = error;
    return S_OK;
}

HRESULT DomParseError::get_errorCode(LONG* errorCode) { return Number(failure_.errorCode, errorCode); }
HRESULT DomParseError::get_url(BSTR* url) { return OptionalText(failure_.url, url); }
HRESULT DomParseError::get_reason(BSTR* reason) { return OptionalText(failure_.reason, reason); }
HRESULT DomParseError::get_srcText(BSTR* source) { return OptionalText(failure_.sourceLine, source); }
HRESULT DomParseError::get_line(LONG* line) { return Number(failure_.line, line); }
HRESULT DomParseError::get_linepos(LONG* position) { return Number(failure_.column, position); }
HRESULT DomParseError::get_filepos(LONG* position) { return Number(failure_.filePosition, position); }

}  // namespace msxml
