#include <print_schema/schema_writer.h>

#include <session/text_codec.h>

#include <platform/hresult_flow.h>

#include <algorithm>

namespace print_schema {
namespace {

constexpr const char* kFrameworkPrefix = "psf";
constexpr const char* kXsiNamespace = "http://www.w3.org/2001/XMLSchema-instance";

std::string EscapeAttribute(const std::string& text) {
    std::string escaped;
    for (const char c : text) {
        switch (c) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '"': escaped += "&quot;"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

bool IsXmlChar(WCHAR c) { return (c >= 0x20 || c == 0x9 || c == 0xA || c == 0xD) && c != 0xFFFE && c != 0xFFFF; }

}  // namespace

qp::Bstr ToBstr(const std::string& utf8) {
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

SchemaWriter::SchemaWriter(IXMLDOMDocument2* document, std::vector<NamespaceBinding> bindings)
    : document_(document), bindings_(std::move(bindings)) {}

HRESULT SchemaWriter::CreateRoot(const char* local, qp::ComPtr<IXMLDOMElement>& root) {
    std::string xml = std::string("<") + kFrameworkPrefix + ":" + local;
    for (const NamespaceBinding& binding : bindings_) {
        xml += " xmlns:" + binding.prefix + "=\"" + EscapeAttribute(binding.uri) + "\"";
    }
    xml += " version=\"1\"/>";
    qp::Bstr text = ToBstr(xml);
    if (!text) return E_OUTOFMEMORY;
    VARIANT_BOOL loaded = VARIANT_FALSE;
    RETURN_IF_FAILED(document_->loadXML(text.get(), &loaded));
    if (loaded != VARIANT_TRUE) return E_FAIL;
    RETURN_IF_FAILED(document_->get_documentElement(root.put()));
    open_.assign(1, OpenElement{root, false});
    return S_OK;
}

HRESULT SchemaWriter::AppendIndent(IXMLDOMNode* parent, size_t depth) {
    while (indents_.size() <= depth) {
        qp::Bstr indent = ToBstr("\n" + std::string(2 * indents_.size(), ' '));
        if (!indent) return E_OUTOFMEMORY;
        indents_.push_back(std::move(indent));
    }
    qp::Variant type = qp::Variant::Int32(NODE_TEXT);
    qp::ComPtr<IXMLDOMNode> text;
    RETURN_IF_FAILED(document_->createNode(type.get(), nullptr, nullptr, text.put()));
    RETURN_IF_FAILED(text->put_text(indents_[depth].get()));
    qp::ComPtr<IXMLDOMNode> appended;
    return parent->appendChild(text.get(), appended.put());
}

// Closes the open elements below `parent`, each that has element children with the indentation
// of its end tag.
HRESULT SchemaWriter::CloseUntil(IXMLDOMNode* parent) {
    while (!open_.empty() && static_cast<IXMLDOMNode*>(open_.back().element.get()) != parent) {
        if (open_.back().hasChildren) RETURN_IF_FAILED(AppendIndent(open_.back().element.get(), open_.size() - 1));
        open_.pop_back();
    }
    return open_.empty() ? E_UNEXPECTED : S_OK;
}

HRESULT SchemaWriter::Finish() {
    RETURN_IF_FAILED(CloseUntil(open_.empty() ? nullptr : open_.front().element.get()));
    if (open_.front().hasChildren) RETURN_IF_FAILED(AppendIndent(open_.front().element.get(), 0));
    open_.clear();
    return S_OK;
}

HRESULT SchemaWriter::CachedName(const std::string& text, BSTR& name) {
    auto found = names_.find(text);
    if (found == names_.end()) {
        qp::Bstr made = ToBstr(text);
        if (!made) return E_OUTOFMEMORY;
        found = names_.emplace(text, std::move(made)).first;
    }
    name = found->second.get();
    return S_OK;
}

HRESULT SchemaWriter::AppendElement(IXMLDOMNode* parent, const char* local, qp::ComPtr<IXMLDOMElement>& element) {
    BSTR qname = nullptr;
    BSTR uri = nullptr;
    RETURN_IF_FAILED(CachedName(std::string(kFrameworkPrefix) + ":" + local, qname));
    RETURN_IF_FAILED(CachedName(kFrameworkNamespace, uri));
    RETURN_IF_FAILED(CloseUntil(parent));
    open_.back().hasChildren = true;
    RETURN_IF_FAILED(AppendIndent(parent, open_.size()));
    qp::Variant type = qp::Variant::Int32(NODE_ELEMENT);
    qp::ComPtr<IXMLDOMNode> node;
    RETURN_IF_FAILED(document_->createNode(type.get(), qname, uri, node.put()));
    qp::ComPtr<IXMLDOMNode> appended;
    RETURN_IF_FAILED(parent->appendChild(node.get(), appended.put()));
    RETURN_IF_FAILED(appended.QueryTo(IID_IXMLDOMElement, element));
    open_.push_back(OpenElement{element, false});
    return S_OK;
}

HRESULT SchemaWriter::NewAttribute(const char* name, BSTR namespaceUri, const std::string& value,
                                   qp::ComPtr<IXMLDOMNode>& attribute) {
    BSTR qname = nullptr;
    RETURN_IF_FAILED(CachedName(name, qname));
    qp::Variant type = qp::Variant::Int32(NODE_ATTRIBUTE);
    RETURN_IF_FAILED(document_->createNode(type.get(), qname, namespaceUri, attribute.put()));
    qp::Bstr text = ToBstr(value);
    if (!text) return E_OUTOFMEMORY;
    return attribute->put_text(text.get());
}

HRESULT SchemaWriter::SetAttribute(IXMLDOMElement* element, const char* name, const std::string& value) {
    qp::ComPtr<IXMLDOMNode> node;
    RETURN_IF_FAILED(NewAttribute(name, nullptr, value, node));
    qp::ComPtr<IXMLDOMAttribute> attribute;
    RETURN_IF_FAILED(node.QueryTo(IID_IXMLDOMAttribute, attribute));
    return element->setAttributeNode(attribute.get(), nullptr);
}

HRESULT SchemaWriter::SetNameAttribute(IXMLDOMElement* element, const char* name, const SchemaName& value) {
    std::string qname;
    RETURN_IF_FAILED(QName(value, qname));
    return SetAttribute(element, name, qname);
}

HRESULT SchemaWriter::AppendValue(IXMLDOMNode* parent, const char* xsdType, const std::string& text) {
    qp::ComPtr<IXMLDOMElement> value;
    RETURN_IF_FAILED(AppendElement(parent, "Value", value));
    BSTR xsiUri = nullptr;
    RETURN_IF_FAILED(CachedName(kXsiNamespace, xsiUri));
    qp::ComPtr<IXMLDOMNode> node;
    RETURN_IF_FAILED(NewAttribute("xsi:type", xsiUri, xsdType, node));
    qp::ComPtr<IXMLDOMAttribute> type;
    RETURN_IF_FAILED(node.QueryTo(IID_IXMLDOMAttribute, type));
    RETURN_IF_FAILED(value->setAttributeNode(type.get(), nullptr));
    qp::Bstr content = ToBstr(text);
    if (!content) return E_OUTOFMEMORY;
    return value->put_text(content.get());
}

HRESULT SchemaWriter::AppendNamedValue(IXMLDOMNode* parent, const char* element, const SchemaName& name,
                                       const char* xsdType, const std::string& text) {
    qp::ComPtr<IXMLDOMElement> holder;
    RETURN_IF_FAILED(AppendElement(parent, element, holder));
    RETURN_IF_FAILED(SetNameAttribute(holder.get(), "name", name));
    return AppendValue(holder.get(), xsdType, text);
}

HRESULT SchemaWriter::QName(const SchemaName& name, std::string& qname) const {
    const auto binding = std::find_if(bindings_.begin(), bindings_.end(),
                                      [&](const NamespaceBinding& b) { return b.uri == name.uri; });
    if (binding == bindings_.end()) return E_UNEXPECTED;
    qname = binding->prefix + ":" + name.local;
    return S_OK;
}

}  // namespace print_schema
