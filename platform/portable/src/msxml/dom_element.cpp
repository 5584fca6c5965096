#include "dom_element.h"

#include "boundary_strings.h"
#include "dom_node_list.h"
#include "element_attributes.h"
#include "namespace_reconciler.h"
#include "node_factory.h"
#include "text_content.h"

#include <new>

namespace msxml {
namespace {

xmlNodePtr AsNode(xmlAttrPtr attribute) { return reinterpret_cast<xmlNodePtr>(attribute); }

// The namespace a new attribute named `name` takes on `element`: its prefix's binding there.
HRESULT NamespaceForNewAttribute(xmlNodePtr element, const std::string& name, std::string& uri) {
    const QualifiedName qname = SplitQualifiedName(name);
    if (!qname.valid) return E_INVALIDARG;
    if (qname.prefix.empty() || qname.prefix == "xml" || qname.prefix == "xmlns") return S_OK;
    xmlNsPtr bound = FindInScope(element, XmlChars(qname.prefix));
    if (bound == nullptr) return E_FAIL;
    uri = Chars(bound->href);
    return S_OK;
}

}  // namespace

HRESULT DomElement::getAttribute(BSTR name, VARIANT* value) {
    if (value == nullptr) return E_INVALIDARG;
    VariantInit(value);
    return NoThrow([&] {
        xmlAttrPtr found = FindAttribute(node(), ArgToUtf8(name));
        if (found == nullptr) {
            value->vt = VT_NULL;
            return S_FALSE;
        }
        BSTR text = nullptr;
        const HRESULT hr = NewBstr(TextContent(AsNode(found)), &text);
        if (FAILED(hr)) return hr;
        value->vt = VT_BSTR;
        value->bstrVal = text;
        return S_OK;
    });
}

HRESULT DomElement::setAttribute(BSTR name, VARIANT value) {
    return NoThrow([&] {
        const std::string qualifiedName = ArgToUtf8(name);
        std::string text;
        HRESULT hr = VariantToUtf8(value, text);
        if (FAILED(hr)) return hr;
        if (xmlAttrPtr existing = FindAttribute(node(), qualifiedName)) {
            return ReplaceChildrenWithText(tree(), AsNode(existing), text);
        }
        std::string uri;
        hr = NamespaceForNewAttribute(node(), qualifiedName, uri);
        if (FAILED(hr)) return hr;
        xmlNodePtr attribute = nullptr;
        hr = NewDetachedAttribute(tree(), qualifiedName, uri, &attribute);
        if (FAILED(hr)) return hr;
        hr = ReplaceChildrenWithText(tree(), attribute, text);
        if (FAILED(hr)) return hr;
        xmlAttrPtr replaced = nullptr;
        return AttachAttribute(tree(), node(), reinterpret_cast<xmlAttrPtr>(attribute), &replaced);
    });
}

HRESULT DomElement::removeAttribute(BSTR name) {
    return NoThrow([&] {
        xmlAttrPtr found = FindAttribute(node(), ArgToUtf8(name));
        if (found == nullptr) return S_FALSE;
        return DetachAttribute(tree(), found);
    });
}

HRESULT DomElement::getAttributeNode(BSTR name, IXMLDOMAttribute** attributeNode) {
    if (attributeNode == nullptr) return E_INVALIDARG;
    *attributeNode = nullptr;
    return NoThrow([&] {
        xmlAttrPtr found = FindAttribute(node(), ArgToUtf8(name));
        return ReturnNode(*this, AsNode(found), IID_IXMLDOMAttribute, reinterpret_cast<void**>(attributeNode));
    });
}

HRESULT DomElement::setAttributeNode(IXMLDOMAttribute* attribute, IXMLDOMAttribute** replaced) {
    if (replaced) *replaced = nullptr;
    return NoThrow([&] {
        NodeObject* attached = nullptr;
        xmlAttrPtr old = nullptr;
        const HRESULT hr = AttachAttributeObject(*this, attribute, &attached, &old);
        if (FAILED(hr) || replaced == nullptr) return hr;
        return ReturnNode(*this, AsNode(old), IID_IXMLDOMAttribute, reinterpret_cast<void**>(replaced));
    });
}

HRESULT DomElement::removeAttributeNode(IXMLDOMAttribute* attribute, IXMLDOMAttribute** removed) {
    if (removed) *removed = nullptr;
    if (attribute == nullptr) return E_INVALIDARG;
    NodeObject* object = ObjectFromInterface(attribute);
    if (object == nullptr || object->node()->parent != node() || object->node()->type != XML_ATTRIBUTE_NODE) {
        return E_INVALIDARG;
    }
    return NoThrow([&] {
        const HRESULT hr = DetachAttribute(tree(), reinterpret_cast<xmlAttrPtr>(object->node()));
        if (FAILED(hr) || removed == nullptr) return hr;
        return object->QueryInterface(IID_IXMLDOMAttribute, reinterpret_cast<void**>(removed));
    });
}

HRESULT DomElement::getElementsByTagName(BSTR tagName, IXMLDOMNodeList** list) {
    if (list == nullptr) return E_INVALIDARG;
    *list = nullptr;
    return NoThrow([&] {
        return DomNodeList::CreateDescendants(*this, ArgToUtf8(tagName), list);
    });
}

}  // namespace msxml
