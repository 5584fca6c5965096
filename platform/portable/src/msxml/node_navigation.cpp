// Names, types and navigation of node objects.
#include "boundary_strings.h"
#include "dom_document.h"
#include "dom_named_node_map.h"
#include "dom_node_list.h"
#include "node_operations.h"
#include "node_walk.h"
#include "text_content.h"

namespace msxml::node_ops {
namespace {

bool IsNamedNode(xmlNodePtr n) { return n->type == XML_ELEMENT_NODE || n->type == XML_ATTRIBUTE_NODE; }

// Children as the DOM shows them; an entity reference's belong to its declaration.
bool ShowsChildren(xmlNodePtr n) {
    return n->type == XML_ELEMENT_NODE || n->type == XML_DOCUMENT_NODE || n->type == XML_ATTRIBUTE_NODE;
}

struct KindInfo {
    DOMNodeType type;
    const char* typeString;
    const char* fixedName;  // null: the node's own name
};

KindInfo Kind(xmlNodePtr n) {
    switch (n->type) {
    case XML_ELEMENT_NODE: return {NODE_ELEMENT, "element", nullptr};
    case XML_ATTRIBUTE_NODE: return {NODE_ATTRIBUTE, "attribute", nullptr};
    case XML_TEXT_NODE: return {NODE_TEXT, "text", "#text"};
    case XML_CDATA_SECTION_NODE: return {NODE_CDATA_SECTION, "cdatasection", "#cdata-section"};
    case XML_ENTITY_REF_NODE: return {NODE_ENTITY_REFERENCE, "entityreference", nullptr};
    case XML_ENTITY_DECL: return {NODE_ENTITY, "entity", nullptr};
    case XML_PI_NODE: return {NODE_PROCESSING_INSTRUCTION, "processinginstruction", nullptr};
    case XML_COMMENT_NODE: return {NODE_COMMENT, "comment", "#comment"};
    case XML_DOCUMENT_NODE: return {NODE_DOCUMENT, "document", "#document"};
    case XML_DTD_NODE:
    case XML_DOCUMENT_TYPE_NODE: return {NODE_DOCUMENT_TYPE, "documenttype", nullptr};
    case XML_DOCUMENT_FRAG_NODE: return {NODE_DOCUMENT_FRAGMENT, "documentfragment", "#document-fragment"};
    case XML_NOTATION_NODE: return {NODE_NOTATION, "notation", nullptr};
    default: return {NODE_INVALID, "", ""};
    }
}

HRESULT ReturnRelative(const NodeObject& self, xmlNodePtr relative, IXMLDOMNode** out) {
    if (out == nullptr) return E_INVALIDARG;
    return ReturnNode(self, relative, IID_IXMLDOMNode, reinterpret_cast<void**>(out));
}

HRESULT EmptyOrText(const xmlChar* text, BSTR* out) { return NewBstr(text, out); }

}  // namespace

HRESULT GetNodeName(const NodeObject& self, BSTR* name) {
    if (name == nullptr) return E_INVALIDARG;
    *name = nullptr;
    xmlNodePtr n = self.node();
    const KindInfo kind = Kind(n);
    if (kind.fixedName) return NewBstr(kind.fixedName, name);
    std::string text;
    AppendQualifiedName(n, text);
    return NewBstr(text, name);
}

HRESULT GetNodeValue(const NodeObject& self, VARIANT* value) {
    if (value == nullptr) return E_INVALIDARG;
    VariantInit(value);
    switch (self.node()->type) {
    case XML_ATTRIBUTE_NODE:
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
    case XML_COMMENT_NODE:
    case XML_PI_NODE: {
        BSTR text = nullptr;
        const HRESULT hr = NewBstr(TextContent(self.node()), &text);
        if (FAILED(hr)) return hr;
        value->vt = VT_BSTR;
        value->bstrVal = text;
        return S_OK;
    }
    default:
        value->vt = VT_NULL;
        return S_FALSE;
    }
}

HRESULT PutNodeValue(NodeObject& self, const VARIANT& value) {
    switch (self.node()->type) {
    case XML_ATTRIBUTE_NODE:
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
    case XML_COMMENT_NODE:
    case XML_PI_NODE:
        break;
    default:
        return E_FAIL;
    }
    std::string text;
    const HRESULT hr = VariantToUtf8(value, text);
    if (FAILED(hr)) return hr;
    BSTR wide = nullptr;
    if (FAILED(NewBstr(text, &wide))) return E_OUTOFMEMORY;
    const HRESULT put = PutText(self, wide);
    SysFreeString(wide);
    return put;
}

HRESULT GetNodeType(const NodeObject& self, DOMNodeType* type) {
    if (type == nullptr) return E_INVALIDARG;
    *type = Kind(self.node()).type;
    return S_OK;
}

HRESULT GetNodeTypeString(const NodeObject& self, BSTR* text) {
    if (text == nullptr) return E_INVALIDARG;
    return NewBstr(Kind(self.node()).typeString, text);
}

HRESULT GetParentNode(const NodeObject& self, IXMLDOMNode** parent) {
    xmlNodePtr n = self.node();
    return ReturnRelative(self, n->type == XML_ATTRIBUTE_NODE ? nullptr : n->parent, parent);
}

HRESULT GetChildNodes(NodeObject& self, IXMLDOMNodeList** list) {
    if (list == nullptr) return E_INVALIDARG;
    return DomNodeList::CreateChildren(self, list);
}

HRESULT GetFirstChild(const NodeObject& self, IXMLDOMNode** child) {
    xmlNodePtr n = self.node();
    return ReturnRelative(self, ShowsChildren(n) ? n->children : nullptr, child);
}

HRESULT GetLastChild(const NodeObject& self, IXMLDOMNode** child) {
    xmlNodePtr n = self.node();
    return ReturnRelative(self, ShowsChildren(n) ? n->last : nullptr, child);
}

HRESULT GetPreviousSibling(const NodeObject& self, IXMLDOMNode** sibling) {
    xmlNodePtr n = self.node();
    return ReturnRelative(self, n->type == XML_ATTRIBUTE_NODE ? nullptr : n->prev, sibling);
}

HRESULT GetNextSibling(const NodeObject& self, IXMLDOMNode** sibling) {
    xmlNodePtr n = self.node();
    return ReturnRelative(self, n->type == XML_ATTRIBUTE_NODE ? nullptr : n->next, sibling);
}

HRESULT GetAttributes(NodeObject& self, IXMLDOMNamedNodeMap** map) {
    if (map == nullptr) return E_INVALIDARG;
    *map = nullptr;
    if (self.node()->type != XML_ELEMENT_NODE) return S_FALSE;
    return DomNamedNodeMap::Create(self, map);
}

HRESULT HasChildNodes(const NodeObject& self, VARIANT_BOOL* has) {
    if (has == nullptr) return E_INVALIDARG;
    xmlNodePtr n = self.node();
    *has = ShowsChildren(n) && n->children ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT GetOwnerDocument(const NodeObject& self, IXMLDOMDocument** document) {
    if (document == nullptr) return E_INVALIDARG;
    *document = nullptr;
    if (self.node()->type == XML_DOCUMENT_NODE) return S_FALSE;
    NodeObject& owner = self.document();
    return owner.QueryInterface(IID_IXMLDOMDocument, reinterpret_cast<void**>(document));
}

HRESULT GetNamespaceURI(const NodeObject& self, BSTR* uri) {
    if (uri == nullptr) return E_INVALIDARG;
    *uri = nullptr;
    xmlNodePtr n = self.node();
    return EmptyOrText(IsNamedNode(n) && n->ns ? n->ns->href : nullptr, uri);
}

HRESULT GetPrefix(const NodeObject& self, BSTR* prefix) {
    if (prefix == nullptr) return E_INVALIDARG;
    *prefix = nullptr;
    xmlNodePtr n = self.node();
    return EmptyOrText(IsNamedNode(n) && n->ns ? n->ns->prefix : nullptr, prefix);
}

HRESULT GetBaseName(const NodeObject& self, BSTR* name) {
    if (name == nullptr) return E_INVALIDARG;
    *name = nullptr;
    xmlNodePtr n = self.node();
    return EmptyOrText(Kind(n).fixedName ? nullptr : n->name, name);
}

}  // namespace msxml::node_ops
