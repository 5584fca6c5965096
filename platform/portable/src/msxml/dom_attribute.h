// Attribute node objects: IXMLDOMAttribute.
#pragma once

#include "node_impl.h"

namespace msxml {

class DomAttribute final : public NodeImpl<IXMLDOMAttribute> {
public:
    DomAttribute(xmlNodePtr node, XmlTree* tree) noexcept : NodeImpl(node, tree) {}

    HRESULT STDMETHODCALLTYPE get_name(BSTR* name) override {
        return NoThrow([&] { return node_ops::GetNodeName(*this, name); });
    }
    HRESULT STDMETHODCALLTYPE get_value(VARIANT* value) override {
        return NoThrow([&] { return node_ops::GetNodeValue(*this, value); });
    }
    HRESULT STDMETHODCALLTYPE put_value(VARIANT value) override {
        return NoThrow([&] { return node_ops::PutNodeValue(*this, value); });
    }

protected:
    void* QueryMore(REFIID riid) override {
        return riid == IID_IXMLDOMAttribute ? static_cast<IXMLDOMAttribute*>(this) : nullptr;
    }
};

}  // namespace msxml
