#include "dom_named_node_map.h"

#include "boundary_strings.h"
#include "element_attributes.h"

#include <new>

namespace msxml {
namespace {

xmlNodePtr AsNode(xmlAttrPtr attribute) { return reinterpret_cast<xmlNodePtr>(attribute); }

xmlAttrPtr AttributeAt(xmlNodePtr element, LONG index) {
    if (index < 0) return nullptr;
    xmlAttrPtr a = element->properties;
    for (LONG i = 0; a && i < index; ++i) a = a->next;
    return a;
}

}  // namespace

HRESULT DomNamedNodeMap::Create(NodeObject& element, IXMLDOMNamedNodeMap** out) {
    *out = NewObject<DomNamedNodeMap>(&element);
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT DomNamedNodeMap::getNamedItem(BSTR name, IXMLDOMNode** item) {
    if (item == nullptr) return E_INVALIDARG;
    *item = nullptr;
    return NoThrow([&] {
        xmlAttrPtr found = FindAttribute(element_->node(), ArgToUtf8(name));
        return ReturnNode(*element_, AsNode(found), IID_IXMLDOMNode, reinterpret_cast<void**>(item));
    });
}

HRESULT DomNamedNodeMap::setNamedItem(IXMLDOMNode* newItem, IXMLDOMNode** item) {
    if (item) *item = nullptr;
    return NoThrow([&] {
        NodeObject* attached = nullptr;
        xmlAttrPtr replaced = nullptr;
        const HRESULT hr = AttachAttributeObject(*element_, newItem, &attached, &replaced);
        if (FAILED(hr) || item == nullptr) return hr;
        return attached->QueryInterface(IID_IXMLDOMNode, reinterpret_cast<void**>(item));
    });
}

HRESULT DomNamedNodeMap::Remove(xmlAttrPtr attribute, IXMLDOMNode** item) {
    if (attribute == nullptr) return S_FALSE;
    Ref<NodeObject> object;
    HRESULT hr = ObjectForNode(*element_, AsNode(attribute), object.put());
    if (FAILED(hr)) return hr;
    hr = DetachAttribute(element_->tree(), attribute);
    if (FAILED(hr) || item == nullptr) return hr;
    return object->QueryInterface(IID_IXMLDOMNode, reinterpret_cast<void**>(item));
}

HRESULT DomNamedNodeMap::removeNamedItem(BSTR name, IXMLDOMNode** item) {
    if (item) *item = nullptr;
    return NoThrow([&] {
        return Remove(FindAttribute(element_->node(), ArgToUtf8(name)), item);
    });
}

HRESULT DomNamedNodeMap::get_item(LONG index, IXMLDOMNode** item) {
    if (item == nullptr) return E_INVALIDARG;
    return ReturnNode(*element_, AsNode(AttributeAt(element_->node(), index)), IID_IXMLDOMNode,
                      reinterpret_cast<void**>(item));
}

HRESULT DomNamedNodeMap::get_length(LONG* length) {
    if (length == nullptr) return E_INVALIDARG;
    LONG count = 0;
    for (xmlAttrPtr a = element_->node()->properties; a; a = a->next) ++count;
    *length = count;
    return S_OK;
}

xmlAttrPtr DomNamedNodeMap::QualifiedItem(BSTR baseName, BSTR namespaceURI) const {
    const std::string local = ArgToUtf8(baseName);
    const std::string uri = ArgToUtf8(namespaceURI);
    for (xmlAttrPtr a = element_->node()->properties; a; a = a->next) {
        const std::string_view href = a->ns ? View(a->ns->href) : std::string_view();
        if (View(a->name) == local && href == uri) return a;
    }
    return nullptr;
}

HRESULT DomNamedNodeMap::getQualifiedItem(BSTR baseName, BSTR namespaceURI, IXMLDOMNode** item) {
    if (item == nullptr) return E_INVALIDARG;
    *item = nullptr;
    return NoThrow([&] {
        return ReturnNode(*element_, AsNode(QualifiedItem(baseName, namespaceURI)), IID_IXMLDOMNode,
                          reinterpret_cast<void**>(item));
    });
}

HRESULT DomNamedNodeMap::removeQualifiedItem(BSTR baseName, BSTR namespaceURI, IXMLDOMNode** item) {
    if (item) *item = nullptr;
    return NoThrow([&] {
        return Remove(QualifiedItem(baseName, namespaceURI), item);
    });
}

HRESULT DomNamedNodeMap::nextNode(IXMLDOMNode** next) {
    if (next == nullptr) return E_INVALIDARG;
    const HRESULT hr = get_item(position_, next);
    if (hr == S_OK) ++position_;
    return hr;
}

HRESULT DomNamedNodeMap::reset() {
    position_ = 0;
    return S_OK;
}

}  // namespace msxml
