#include <print_schema/schema_text_writer.h>

#include <session/text_codec.h>

#include <platform/hresult_flow.h>

#include <algorithm>

namespace print_schema {
namespace {

constexpr const char* kFrameworkPrefix = "psf:";

// Escapes what markup would take for its own; in attributes also the white space that
// attribute-value normalization would turn into blanks.
void AppendEscaped(std::string& out, const std::string& text, bool attribute) {
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += attribute ? "&quot;" : "\""; break;
        case '\t': out += attribute ? "&#9;" : "\t"; break;
        case '\n': out += attribute ? "&#10;" : "\n"; break;
        case '\r': out += "&#13;"; break;
        default: out += c;
        }
    }
}

bool IsXmlChar(WCHAR c) { return (c >= 0x20 || c == 0x9 || c == 0xA || c == 0xD) && c != 0xFFFE && c != 0xFFFF; }

// Restores the document's white-space setting when the load is done.
class PreservedWhiteSpace {
public:
    explicit PreservedWhiteSpace(IXMLDOMDocument2* document) : document_(document) {
        if (document_->get_preserveWhiteSpace(&before_) != S_OK) before_ = VARIANT_FALSE;
        document_->put_preserveWhiteSpace(VARIANT_TRUE);
    }
    PreservedWhiteSpace(const PreservedWhiteSpace&) = delete;
    PreservedWhiteSpace& operator=(const PreservedWhiteSpace&) = delete;
    ~PreservedWhiteSpace() { document_->put_preserveWhiteSpace(before_); }

private:
    IXMLDOMDocument2* document_;
    VARIANT_BOOL before_ = VARIANT_FALSE;
};

}  // namespace

qp::Bstr ToBstr(const std::string& utf8) {
    // Plain ASCII, as markup and most GPD names are, widens byte for byte.
    const bool plain = std::all_of(utf8.begin(), utf8.end(), [](char c) {
        return (c >= 0x20 && c < 0x7F) || c == '\n' || c == '\t';
    });
    if (plain) {
        qp::Bstr wide = qp::Bstr::Attach(SysAllocStringLen(nullptr, static_cast<UINT>(utf8.size())));
        if (wide) std::copy(utf8.begin(), utf8.end(), wide.get());
        return wide;
    }
    coredriver::WideString text;
    size_t bad = 0;
    if (!coredriver::DecodeUtf8(utf8, text, bad)) {
        std::string repaired = utf8;
        do {
            repaired.replace(bad, 1, "\xEF\xBF\xBD");
        } while (!coredriver::DecodeUtf8(repaired, text, bad));
    }
    std::replace_if(text.begin(), text.end(), [](WCHAR c) { return !IsXmlChar(c); }, WCHAR{0xFFFD});
    return qp::Bstr::Attach(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
}

SchemaTextWriter::SchemaTextWriter(std::vector<NamespaceBinding> bindings) : bindings_(std::move(bindings)) {}

void SchemaTextWriter::Indent() {
    if (!text_.empty()) text_ += '\n';
    text_.append(2 * depth_, ' ');
}

void SchemaTextWriter::OpenRoot(const char* local) {
    text_ += std::string("<") + kFrameworkPrefix + local;
    for (const NamespaceBinding& binding : bindings_) {
        text_ += " xmlns:" + binding.prefix + "=\"";
        AppendEscaped(text_, binding.uri, true);
        text_ += '"';
    }
    text_ += " version=\"1\">";
    ++depth_;
}

void SchemaTextWriter::Open(const char* local, std::initializer_list<Attribute> attributes, bool empty) {
    Indent();
    text_ += '<';
    text_ += kFrameworkPrefix;
    text_ += local;
    for (const Attribute& attribute : attributes) {
        text_ += ' ';
        text_ += attribute.first;
        text_ += "=\"";
        AppendEscaped(text_, attribute.second, true);
        text_ += '"';
    }
    text_ += empty ? "/>" : ">";
    if (!empty) ++depth_;
}

void SchemaTextWriter::Close(const char* local) {
    --depth_;
    Indent();
    text_ += "</";
    text_ += kFrameworkPrefix;
    text_ += local;
    text_ += '>';
}

void SchemaTextWriter::Value(const char* xsdType, const std::string& text) {
    Indent();
    text_ += "<psf:Value xsi:type=\"";
    text_ += xsdType;
    text_ += "\">";
    AppendEscaped(text_, text, false);
    text_ += "</psf:Value>";
}

void SchemaTextWriter::NamedValue(const char* element, const SchemaName& name, const char* xsdType,
                                  const std::string& text) {
    Open(element, {{"name", QName(name)}});
    Value(xsdType, text);
    Close(element);
}

std::string SchemaTextWriter::QName(const SchemaName& name) {
    const auto binding = std::find_if(bindings_.begin(), bindings_.end(),
                                      [&](const NamespaceBinding& b) { return b.uri == name.uri; });
    if (binding == bindings_.end()) {
        qnameFailed_ = true;
        return {};
    }
    return binding->prefix + ":" + name.local;
}

HRESULT SchemaTextWriter::Load(IXMLDOMDocument2* document) const {
    if (qnameFailed_ || depth_ != 0) return E_UNEXPECTED;
    qp::Bstr text = ToBstr(text_);
    if (!text) return E_OUTOFMEMORY;
    const PreservedWhiteSpace preserved(document);
    VARIANT_BOOL loaded = VARIANT_FALSE;
    RETURN_IF_FAILED(document->loadXML(text.get(), &loaded));
    return loaded == VARIANT_TRUE ? S_OK : E_FAIL;
}

}  // namespace print_schema
