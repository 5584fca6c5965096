// IXMLDOMParseError: a snapshot of the last load's outcome (errorCode 0 after a success).
#pragma once

#include "dispatch_object.h"
#include "xml_parser.h"

#include <platform/platform.h>

namespace msxml {

class DomParseError final : public DispatchObject<IXMLDOMParseError, IID_IXMLDOMParseError> {
public:
    static HRESULT Create(const ParseFailure& failure, IXMLDOMParseError** out);

    DomParseError() noexcept = default;

    HRESULT STDMETHODCALLTYPE get_errorCode(LONG* errorCode) override;
    // The strings are S_FALSE and null when there is nothing to say.
    HRESULT STDMETHODCALLTYPE get_url(BSTR* url) override;
    HRESULT STDMETHODCALLTYPE get_reason(BSTR* reason) override;
    HRESULT STDMETHODCALLTYPE get_srcText(BSTR* source) override;
    HRESULT STDMETHODCALLTYPE get_line(LONG* line) override;
    HRESULT STDMETHODCALLTYPE get_linepos(LONG* position) override;
    HRESULT STDMETHODCALLTYPE get_filepos(LONG* position) override;

private:
    ParseFailure failure_;
};

}  // namespace msxml
