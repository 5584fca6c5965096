// Element node objects: IXMLDOMElement.
#pragma once

#include "node_impl.h"

namespace msxml {

class DomElement final : public NodeImpl<IXMLDOMElement> {
public:
    DomElement(xmlNodePtr node, XmlTree* tree) noexcept : NodeImpl(node, tree) {}

    HRESULT STDMETHODCALLTYPE get_tagName(BSTR* tagName) override { return node_ops::GetNodeName(*this, tagName); }
    HRESULT STDMETHODCALLTYPE getAttribute(BSTR name, VARIANT* value) override;
    HRESULT STDMETHODCALLTYPE setAttribute(BSTR name, VARIANT value) override;
    HRESULT STDMETHODCALLTYPE removeAttribute(BSTR name) override;
    HRESULT STDMETHODCALLTYPE getAttributeNode(BSTR name, IXMLDOMAttribute** attributeNode) override;
    HRESULT STDMETHODCALLTYPE setAttributeNode(IXMLDOMAttribute* attribute, IXMLDOMAttribute** replaced) override;
    HRESULT STDMETHODCALLTYPE removeAttributeNode(IXMLDOMAttribute* attribute, IXMLDOMAttribute** removed) override;
    HRESULT STDMETHODCALLTYPE getElementsByTagName(BSTR tagName, IXMLDOMNodeList** list) override;
    HRESULT STDMETHODCALLTYPE normalize() override { return E_NOTIMPL; }

protected:
    void* QueryMore(REFIID riid) override {
        return riid == IID_IXMLDOMElement ? static_cast<IXMLDOMElement*>(this) : nullptr;
    }
};

}  // namespace msxml
