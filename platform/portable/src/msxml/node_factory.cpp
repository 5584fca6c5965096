#include "node_factory.h"

#include "boundary_strings.h"
#include "element_attributes.h"
#include "libxml_runtime.h"
#include "namespace_reconciler.h"
#include "node_walk.h"
#include "text_content.h"

#include <libxml/tree.h>
#include <portable/test_support.h>

#include <algorithm>

namespace msxml {
namespace {

constexpr std::string_view kXmlnsNamespace = "http://www.w3.org/2000/xmlns/";

bool IsAsciiNameStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool IsAsciiNameChar(char c) { return IsAsciiNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; }

bool IsName(const std::string& part) {
    if (part.empty()) return false;
    // Names are ASCII in practice and are checked here directly; anything else goes to libxml2.
    if (IsAsciiNameStart(part[0]) && std::all_of(part.begin() + 1, part.end(), IsAsciiNameChar)) return true;
    return xmlValidateNCName(XmlChars(part), 0) == 0;
}

HRESULT Detached(XmlTree& tree, xmlNodePtr node, xmlNodePtr* out) {
    if (node == nullptr) return E_OUTOFMEMORY;
    if (!tree.NoteDetached(node)) {
        xmlFreeNode(node);
        return E_OUTOFMEMORY;
    }
    *out = node;
    return S_OK;
}

// Gives a detached attribute one text child; the value is stored as written, never parsed.
HRESULT SetAttributeText(xmlDocPtr doc, xmlAttrPtr attribute, const std::string& text) {
    if (text.empty()) return S_OK;
    xmlNodePtr child = NewText(doc, XmlChars(text));
    if (child == nullptr) return E_OUTOFMEMORY;
    child->parent = reinterpret_cast<xmlNodePtr>(attribute);
    attribute->children = attribute->last = child;
    return S_OK;
}

xmlAttrPtr CopyAttribute(xmlDocPtr doc, xmlAttrPtr source) {
    xmlAttrPtr copy = NewAttribute(doc, source->name);
    if (copy == nullptr) return nullptr;
    copy->ns = source->ns;  // resolved against the copy's own scope afterwards
    if (FAILED(SetAttributeText(doc, copy, TextContent(reinterpret_cast<xmlNodePtr>(source))))) {
        xmlFreeProp(copy);
        return nullptr;
    }
    return copy;
}

// An element with its attributes and declarations, without children. Namespace references
// still point at the source's declarations until the copy is reconciled.
xmlNodePtr CopyElementShallow(xmlDocPtr doc, xmlNodePtr source) {
    xmlNodePtr copy = NewElement(doc, source->name);
    if (copy == nullptr) return nullptr;
    for (xmlNsPtr ns = source->nsDef; ns; ns = ns->next) {
        xmlNsPtr own = NewNamespace(copy, ns->href, ns->prefix);
        if (own == nullptr) {
            xmlFreeNode(copy);
            return nullptr;
        }
        own->_private = ns->_private;
    }
    copy->ns = source->ns;
    for (xmlAttrPtr a = source->properties; a; a = a->next) {
        xmlAttrPtr attribute = CopyAttribute(doc, a);
        if (attribute == nullptr) {
            xmlFreeNode(copy);
            return nullptr;
        }
        AppendAttribute(copy, attribute);
    }
    return copy;
}

xmlNodePtr CopyOne(xmlDocPtr doc, xmlNodePtr source) {
    switch (source->type) {
    case XML_ELEMENT_NODE:
        return CopyElementShallow(doc, source);
    case XML_ATTRIBUTE_NODE:
        return reinterpret_cast<xmlNodePtr>(CopyAttribute(doc, reinterpret_cast<xmlAttrPtr>(source)));
    default:
        return CopyLeaf(source, doc);
    }
}

void AppendChildLink(xmlNodePtr parent, xmlNodePtr child) {
    child->parent = parent;
    child->prev = parent->last;
    if (parent->last) {
        parent->last->next = child;
    } else {
        parent->children = child;
    }
    parent->last = child;
}

// Mirrors the source subtree in preorder, one level of the copy per level of the source.
xmlNodePtr CopySubtree(xmlDocPtr doc, xmlNodePtr source) {
    xmlNodePtr top = CopyOne(doc, source);
    if (top == nullptr || source->type != XML_ELEMENT_NODE) return top;
    xmlNodePtr from = source;
    xmlNodePtr to = top;
    for (;;) {
        if (from->type == XML_ELEMENT_NODE && from->children) {
            from = from->children;
        } else {
            while (from != source && from->next == nullptr) {
                from = from->parent;
                to = to->parent;
            }
            if (from == source) return top;
            from = from->next;
            to = to->parent;
        }
        xmlNodePtr copy = CopyOne(doc, from);
        if (copy == nullptr) {
            xmlFreeNode(top);
            return nullptr;
        }
        AppendChildLink(to, copy);
        to = copy;
    }
}

}  // namespace

QualifiedName SplitQualifiedName(const std::string& name) {
    QualifiedName result;
    const size_t colon = name.find(':');
    if (colon == std::string::npos) {
        result.local = name;
    } else {
        result.prefix = name.substr(0, colon);
        result.local = name.substr(colon + 1);
        if (!IsName(result.prefix)) return result;
    }
    result.valid = IsName(result.local);
    return result;
}

HRESULT NewDetachedElement(XmlTree& tree, const std::string& name, const std::string& uri, xmlNodePtr* out) {
    *out = nullptr;
    const QualifiedName qname = SplitQualifiedName(name);
    const std::string_view prefix = qname.prefix;
    if (!qname.valid || prefix == "xml" || prefix == "xmlns") return E_INVALIDARG;
    if (!qname.prefix.empty() && uri.empty()) return E_INVALIDARG;
    if (uri == kXmlnsNamespace) return E_INVALIDARG;
    if (PortableFaultNextAllocationFails()) return E_OUTOFMEMORY;
    xmlNodePtr element = NewElement(tree.doc(), XmlChars(qname.local));
    if (element == nullptr) return E_OUTOFMEMORY;
    if (!uri.empty()) {
        element->ns = DeclareImplicitNamespace(element, XmlChars(uri),
                                               qname.prefix.empty() ? nullptr : XmlChars(qname.prefix));
        if (element->ns == nullptr) {
            xmlFreeNode(element);
            return E_OUTOFMEMORY;
        }
    }
    return Detached(tree, element, out);
}

HRESULT NewDetachedAttribute(XmlTree& tree, const std::string& name, const std::string& uri, xmlNodePtr* out) {
    *out = nullptr;
    const QualifiedName qname = SplitQualifiedName(name);
    const std::string_view prefix = qname.prefix;
    if (!qname.valid || prefix == "xmlns" || (prefix.empty() && std::string_view(qname.local) == "xmlns")) {
        return E_INVALIDARG;
    }
    if (uri == kXmlnsNamespace) return E_INVALIDARG;
    const bool inXmlNamespace = prefix == "xml";
    if (inXmlNamespace && !uri.empty() && std::string_view(uri) != View(XML_XML_NAMESPACE)) return E_INVALIDARG;
    if (!inXmlNamespace && !qname.prefix.empty() && uri.empty()) return E_INVALIDARG;
    if (PortableFaultNextAllocationFails()) return E_OUTOFMEMORY;
    xmlAttrPtr attribute = NewAttribute(tree.doc(), XmlChars(qname.local));
    if (attribute == nullptr) return E_OUTOFMEMORY;
    if (inXmlNamespace) {
        attribute->ns = xmlSearchNs(tree.doc(), reinterpret_cast<xmlNodePtr>(tree.doc()), XmlChars("xml"));
    } else if (!qname.prefix.empty()) {
        attribute->ns = tree.NewLooseNamespace(XmlChars(uri), XmlChars(qname.prefix));
    }
    if (!qname.prefix.empty() && attribute->ns == nullptr) {
        xmlFreeProp(attribute);
        return E_OUTOFMEMORY;
    }
    return Detached(tree, reinterpret_cast<xmlNodePtr>(attribute), out);
}

HRESULT NewDetachedLeaf(XmlTree& tree, DOMNodeType type, const std::string& name, const std::string& text,
                        xmlNodePtr* out) {
    *out = nullptr;
    if (type == NODE_PROCESSING_INSTRUCTION && !IsName(name)) return E_INVALIDARG;
    if (PortableFaultNextAllocationFails()) return E_OUTOFMEMORY;
    xmlDocPtr doc = tree.doc();
    switch (type) {
    case NODE_TEXT:
        return Detached(tree, NewText(doc, XmlChars(text)), out);
    case NODE_CDATA_SECTION:
        return Detached(tree, NewCData(doc, XmlChars(text), static_cast<int>(text.size())), out);
    case NODE_COMMENT:
        return Detached(tree, NewComment(doc, XmlChars(text)), out);
    case NODE_PROCESSING_INSTRUCTION:
        return Detached(tree, NewProcessingInstruction(doc, XmlChars(name), text.empty() ? nullptr : XmlChars(text)), out);
    default:
        return E_NOTIMPL;
    }
}

HRESULT CopyDetached(XmlTree& tree, xmlNodePtr source, bool deep, xmlNodePtr* out) {
    *out = nullptr;
    if (PortableFaultNextAllocationFails()) return E_OUTOFMEMORY;
    xmlNodePtr copy = deep ? CopySubtree(tree.doc(), source) : CopyOne(tree.doc(), source);
    if (copy == nullptr) return E_OUTOFMEMORY;
    if (!tree.NoteDetached(copy)) {
        xmlFreeNode(copy);
        return E_OUTOFMEMORY;
    }
    *out = copy;
    return LocalizeDetached(tree, copy);
}

}  // namespace msxml
