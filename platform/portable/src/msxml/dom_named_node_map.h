// The attributes of an element as an IXMLDOMNamedNodeMap, live: every call reads the element's
// current attributes. Namespace declarations are not attributes here (libxml2 keeps them apart).
#pragma once

#include "dispatch_object.h"
#include "node_object.h"

#include <platform/platform.h>

namespace msxml {

class DomNamedNodeMap final : public DispatchObject<IXMLDOMNamedNodeMap, IID_IXMLDOMNamedNodeMap> {
public:
    static HRESULT Create(NodeObject& element, IXMLDOMNamedNodeMap** out);

    explicit DomNamedNodeMap(NodeObject* element) noexcept : element_(element) {}

    // By qualified name as written; absent: S_FALSE and null.
    HRESULT STDMETHODCALLTYPE getNamedItem(BSTR name, IXMLDOMNode** item) override;
    HRESULT STDMETHODCALLTYPE setNamedItem(IXMLDOMNode* newItem, IXMLDOMNode** item) override;
    HRESULT STDMETHODCALLTYPE removeNamedItem(BSTR name, IXMLDOMNode** item) override;
    HRESULT STDMETHODCALLTYPE get_item(LONG index, IXMLDOMNode** item) override;
    HRESULT STDMETHODCALLTYPE get_length(LONG* length) override;
    // By local name and namespace URI (empty: no namespace).
    HRESULT STDMETHODCALLTYPE getQualifiedItem(BSTR baseName, BSTR namespaceURI, IXMLDOMNode** item) override;
    HRESULT STDMETHODCALLTYPE removeQualifiedItem(BSTR baseName, BSTR namespaceURI, IXMLDOMNode** item) override;
    HRESULT STDMETHODCALLTYPE nextNode(IXMLDOMNode** next) override;
    HRESULT STDMETHODCALLTYPE reset() override;
    HRESULT STDMETHODCALLTYPE get__newEnum(IUnknown** enumerator) override { return NotOffered(enumerator); }

private:
    xmlAttrPtr QualifiedItem(BSTR baseName, BSTR namespaceURI) const;
    HRESULT Remove(xmlAttrPtr attribute, IXMLDOMNode** item);

    Ref<NodeObject> element_;
    LONG position_ = 0;
};

}  // namespace msxml
