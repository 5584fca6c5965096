#include "document_io.h"

#include "output_file.h"
#include <session/text_codec.h>

#include <session/hresult_text.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

using qp::Bstr;
using qp::ComPtr;
using qp::Variant;

using namespace coredriver;

namespace pthost {
namespace {

const std::string kUtf8Bom = "\xEF\xBB\xBF";

std::string SystemReason() { return std::strerror(errno); }

// Standard input carries the document byte for byte.
void UseBinaryStdin() {
#ifdef _WIN32
    _setmode(_fileno(stdin), _O_BINARY);
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

bool DecodeText(const std::string& name, const std::string& bytes, WideString& text, std::string& error) {
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

// The text of a document handed over as a string. The DOM reads a string up to its first NUL,
// which XML does not allow anyway: one would silently cut the document short.
bool DecodeDocument(const std::string& name, const std::string& bytes, WideString& text, std::string& error) {
    if (!DecodeText(name, bytes, text, error)) return false;
    const size_t nul = text.find(WCHAR{0});
    if (nul == WideString::npos) return true;
    error = name + ": a NUL character at character " + std::to_string(nul) + ", which XML does not allow";
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

bool ReadAllOfStandardInput(std::string& bytes, std::string& error) {
    UseBinaryStdin();
    char chunk[65536];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, stdin)) != 0) bytes.append(chunk, got);
    if (std::ferror(stdin) == 0) return true;
    error = "pthost: <stdin>: cannot read: " + SystemReason();
    return false;
}

// Whether the parser will be able to read the file, so that an unreadable one is reported as
// such rather than as a document that does not parse.
bool CheckReadable(const std::string& path, std::string& error) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        error = "pthost: " + path + ": cannot open: " + SystemReason();
        return false;
    }
    std::fgetc(file);
    const bool failed = std::ferror(file) != 0;
    const std::string reason = failed ? SystemReason() : std::string();
    std::fclose(file);
    if (failed) error = "pthost: " + path + ": cannot read: " + reason;
    return !failed;
}

// The path as the DOM's source or destination argument; false with the reason.
bool PathVariant(const std::string& path, Variant& source, std::string& reason) {
    WideString widePath;
    size_t badOffset = 0;
    if (!DecodeUtf8(path, widePath, badOffset)) {
        reason = "the path is not UTF-8";
        return false;
    }
    source.get().vt = VT_BSTR;
    source.get().bstrVal = SysAllocStringLen(widePath.data(), static_cast<UINT>(widePath.size()));
    if (source.get().bstrVal != nullptr) return true;
    reason = "out of memory";
    return false;
}

bool SaveDocument(IXMLDOMDocument2* document, const std::string& path, std::string& reason) {
    Variant destination;
    if (!PathVariant(path, destination, reason)) return false;
    const HRESULT hr = document->save(destination.get());
    if (SUCCEEDED(hr)) return true;
    reason = "IXMLDOMDocument::save returned " + DescribeHResult(hr);
    return false;
}

}  // namespace

bool NewDocument(const std::string& name, ComPtr<IXMLDOMDocument2>& document, std::string& error) {
    const HRESULT created = CoCreateInstance(CLSID_DOMDocument60, nullptr, CLSCTX_INPROC_SERVER,
                                             IID_IXMLDOMDocument2, document.put_void());
    if (FAILED(created)) {
        error = "pthost: cannot create an XML document for " + name + ": " + DescribeHResult(created);
        return false;
    }
    document->put_async(VARIANT_FALSE);
    document->put_validateOnParse(VARIANT_FALSE);
    document->put_resolveExternals(VARIANT_FALSE);
    return true;
}

bool InputDocument::ReadStandardInput(std::string& error) {
    std::string bytes;
    WideString text;
    if (!ReadAllOfStandardInput(bytes, error) || !DecodeDocument("<stdin>", bytes, text, error)) return false;
    text_ = Bstr::Attach(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
    if (text_) return true;
    error = "pthost: <stdin>: too large to load";
    return false;
}

bool InputDocument::Load(ComPtr<IXMLDOMDocument2>& document, std::string& error) {
    const std::string name = path_ == "-" ? "<stdin>" : path_;
    ComPtr<IXMLDOMDocument2> loaded;
    if (!NewDocument(name, loaded, error)) return false;
    VARIANT_BOOL parsed = VARIANT_FALSE;
    HRESULT hr = S_OK;
    if (path_ == "-") {
        if (!text_ && !ReadStandardInput(error)) return false;
        hr = loaded->loadXML(text_.get(), &parsed);
    } else {
        Variant source;
        if (!CheckReadable(path_, error)) return false;
        if (std::string reason; !PathVariant(path_, source, reason)) {
            error = "pthost: " + path_ + ": " + reason;
            return false;
        }
        hr = loaded->load(source.get(), &parsed);
    }
    if (hr != S_OK || parsed != VARIANT_TRUE) {
        error = ParseErrorMessage(name, loaded.get());
        return false;
    }
    document = std::move(loaded);
    return true;
}

bool WriteOutput(IXMLDOMDocument2* document, const std::string& path, std::string& error) {
    const FileWriter save = [document](const std::string& file, std::string& reason) {
        return SaveDocument(document, file, reason);
    };
    return path.empty() ? WriteStandardOutput(save, error) : ReplaceFile(path, save, error);
}

}  // namespace pthost
