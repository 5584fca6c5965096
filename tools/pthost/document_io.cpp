#include "document_io.h"

#include "hresult_text.h"
#include "text_codec.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace pthost {
namespace {

const std::string kUtf8Bom = "\xEF\xBB\xBF";

std::string SystemReason() { return std::strerror(errno); }

// Standard input and output carry the document byte for byte.
void UseBinaryStdio() {
#ifdef _WIN32
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
}

// UTF-16 with a byte-order mark, either order; false when the byte count is odd.
bool DecodeUtf16(const std::string& bytes, bool bigEndian, WideString& text) {
    if (bytes.size() % 2 != 0) return false;
    text.clear();
    for (size_t i = 2; i < bytes.size(); i += 2) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        text += static_cast<WCHAR>(bigEndian ? (first << 8 | second) : (second << 8 | first));
    }
    return true;
}

bool DecodeDocument(const std::string& name, const std::string& bytes, WideString& text, std::string& error) {
    if (bytes.rfind("\xFF\xFE", 0) == 0 || bytes.rfind("\xFE\xFF", 0) == 0) {
        if (DecodeUtf16(bytes, bytes[0] == '\xFE', text)) return true;
        error = name + ": UTF-16 text with an odd number of bytes";
        return false;
    }
    const bool hasBom = bytes.rfind(kUtf8Bom, 0) == 0;
    size_t badOffset = 0;
    if (DecodeUtf8(hasBom ? bytes.substr(kUtf8Bom.size()) : bytes, text, badOffset)) return true;
    error = name + ": not UTF-8 text (ill-formed byte sequence at offset " +
            std::to_string(badOffset + (hasBom ? kUtf8Bom.size() : 0)) + ")";
    return false;
}

// "NAME:LINE:COL: reason" from the document's parse error.
std::string ParseErrorMessage(const std::string& name, IXMLDOMDocument2* document) {
    ComPtr<IXMLDOMParseError> parseError;
    LONG line = 0;
    LONG column = 0;
    Bstr reason;
    if (document->get_parseError(parseError.put()) == S_OK) {
        parseError->get_line(&line);
        parseError->get_linepos(&column);
        parseError->get_reason(reason.put());
    }
    std::string text = reason ? EncodeUtf8(reason.get(), reason.Length()) : "not a well-formed document";
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
    for (char& c : text) {
        if (c == '\n' || c == '\r') c = ' ';
    }
    return name + ":" + std::to_string(line) + ":" + std::to_string(column) + ": " + text;
}

}  // namespace

std::string DisplayName(const std::string& path) { return path == "-" ? "<stdin>" : path; }

bool ReadInput(const std::string& path, std::string& bytes, std::string& error) {
    const bool isStdin = path == "-";
    if (isStdin) UseBinaryStdio();
    std::FILE* file = isStdin ? stdin : std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        error = path + ": cannot open: " + SystemReason();
        return false;
    }
    bytes.clear();
    char chunk[65536];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) != 0) bytes.append(chunk, got);
    const bool failed = std::ferror(file) != 0;
    const std::string reason = failed ? SystemReason() : std::string();
    if (!isStdin) std::fclose(file);
    if (failed) {
        error = DisplayName(path) + ": cannot read: " + reason;
        return false;
    }
    return true;
}

bool ParseDocument(const std::string& name, const std::string& bytes, ComPtr<IXMLDOMDocument2>& document,
                   std::string& error) {
    WideString text;
    if (!DecodeDocument(name, bytes, text, error)) return false;

    ComPtr<IXMLDOMDocument2> loaded;
    const HRESULT created = CoCreateInstance(CLSID_DOMDocument60, nullptr, CLSCTX_INPROC_SERVER,
                                             IID_IXMLDOMDocument2, loaded.put_void());
    if (FAILED(created)) {
        error = "pthost: cannot create an XML document for " + name + ": " + DescribeHResult(created);
        return false;
    }
    loaded->put_async(VARIANT_FALSE);
    loaded->put_validateOnParse(VARIANT_FALSE);
    loaded->put_resolveExternals(VARIANT_FALSE);
    Bstr source = Bstr::Attach(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
    if (!source) {
        error = name + ": too large to load";
        return false;
    }
    VARIANT_BOOL parsed = VARIANT_FALSE;
    const HRESULT loadedResult = loaded->loadXML(source.get(), &parsed);
    if (loadedResult != S_OK || parsed != VARIANT_TRUE) {
        error = ParseErrorMessage(name, loaded.get());
        return false;
    }
    document = std::move(loaded);
    return true;
}

bool SerializeDocument(IXMLDOMDocument2* document, std::string& text, std::string& error) {
    Bstr xml;
    const HRESULT hr = document->get_xml(xml.put());
    if (hr != S_OK || !xml) {
        error = "cannot serialize the edited document: " + DescribeHResult(hr);
        return false;
    }
    text = EncodeUtf8(xml.get(), xml.Length());
    return true;
}

bool WriteOutput(const std::string& path, const std::string& bytes, std::string& error) {
    if (path.empty()) {
        UseBinaryStdio();
        std::cout.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        std::cout.flush();
        if (!std::cout) {
            error = "cannot write standard output";
            return false;
        }
        return true;
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (file) file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (file) file.close();
    if (!file) {
        error = path + ": cannot write: " + SystemReason();
        return false;
    }
    return true;
}

}  // namespace pthost
