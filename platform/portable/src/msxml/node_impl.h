// NodeImpl<I>: IUnknown, IDispatch and IXMLDOMNode for a node object whose most derived
// interface is I (IXMLDOMElement, IXMLDOMAttribute, IXMLDOMDocument2 or IXMLDOMNode itself).
#pragma once

#include "dispatch_object.h"
#include "node_object.h"
#include "node_operations.h"

namespace msxml {

template <class I>
class NodeImpl : public NoDispatch<I>, public NodeObject {
public:
    // IUnknown: one identity per node; the kinds add their own interfaces in QueryMore.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr) return E_POINTER;
        *ppv = Interface(riid);
        if (*ppv == nullptr) return E_NOINTERFACE;
        AddRefObject();
        return S_OK;
    }
    void* Interface(REFIID riid) override {
        if (riid == IID_IXMLDOMNode || riid == IID_IUnknown || riid == IID_IDispatch) {
            return static_cast<I*>(this);
        }
        return QueryMore(riid);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return AddRefObject(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseObject(); }

    // IXMLDOMNode
    HRESULT STDMETHODCALLTYPE get_nodeName(BSTR* name) override { return NoThrow([&] { return node_ops::GetNodeName(*this, name); }); }
    HRESULT STDMETHODCALLTYPE get_nodeValue(VARIANT* value) override { return NoThrow([&] { return node_ops::GetNodeValue(*this, value); }); }
    HRESULT STDMETHODCALLTYPE put_nodeValue(VARIANT value) override { return NoThrow([&] { return node_ops::PutNodeValue(*this, value); }); }
    HRESULT STDMETHODCALLTYPE get_nodeType(DOMNodeType* type) override { return NoThrow([&] { return node_ops::GetNodeType(*this, type); }); }
    HRESULT STDMETHODCALLTYPE get_parentNode(IXMLDOMNode** parent) override {
        return NoThrow([&] { return node_ops::GetParentNode(*this, parent); });
    }
    HRESULT STDMETHODCALLTYPE get_childNodes(IXMLDOMNodeList** list) override {
        return NoThrow([&] { return node_ops::GetChildNodes(*this, list); });
    }
    HRESULT STDMETHODCALLTYPE get_firstChild(IXMLDOMNode** child) override {
        return NoThrow([&] { return node_ops::GetFirstChild(*this, child); });
    }
    HRESULT STDMETHODCALLTYPE get_lastChild(IXMLDOMNode** child) override {
        return NoThrow([&] { return node_ops::GetLastChild(*this, child); });
    }
    HRESULT STDMETHODCALLTYPE get_previousSibling(IXMLDOMNode** sibling) override {
        return NoThrow([&] { return node_ops::GetPreviousSibling(*this, sibling); });
    }
    HRESULT STDMETHODCALLTYPE get_nextSibling(IXMLDOMNode** sibling) override {
        return NoThrow([&] { return node_ops::GetNextSibling(*this, sibling); });
    }
    HRESULT STDMETHODCALLTYPE get_attributes(IXMLDOMNamedNodeMap** map) override {
        return NoThrow([&] { return node_ops::GetAttributes(*this, map); });
    }
    HRESULT STDMETHODCALLTYPE insertBefore(IXMLDOMNode* newChild, VARIANT refChild, IXMLDOMNode** out) override {
        return NoThrow([&] { return node_ops::InsertBefore(*this, newChild, refChild, out); });
    }
    HRESULT STDMETHODCALLTYPE replaceChild(IXMLDOMNode* newChild, IXMLDOMNode* oldChild, IXMLDOMNode** out) override {
        return NoThrow([&] { return node_ops::ReplaceChild(*this, newChild, oldChild, out); });
    }
    HRESULT STDMETHODCALLTYPE removeChild(IXMLDOMNode* child, IXMLDOMNode** out) override {
        return NoThrow([&] { return node_ops::RemoveChild(*this, child, out); });
    }
    HRESULT STDMETHODCALLTYPE appendChild(IXMLDOMNode* newChild, IXMLDOMNode** out) override {
        return NoThrow([&] { return node_ops::AppendChild(*this, newChild, out); });
    }
    HRESULT STDMETHODCALLTYPE hasChildNodes(VARIANT_BOOL* has) override { return NoThrow([&] { return node_ops::HasChildNodes(*this, has); }); }
    HRESULT STDMETHODCALLTYPE get_ownerDocument(IXMLDOMDocument** document) override {
        return NoThrow([&] { return node_ops::GetOwnerDocument(*this, document); });
    }
    HRESULT STDMETHODCALLTYPE cloneNode(VARIANT_BOOL deep, IXMLDOMNode** clone) override {
        return NoThrow([&] { return node_ops::CloneNode(*this, deep, clone); });
    }
    HRESULT STDMETHODCALLTYPE get_nodeTypeString(BSTR* text) override {
        return NoThrow([&] { return node_ops::GetNodeTypeString(*this, text); });
    }
    HRESULT STDMETHODCALLTYPE get_text(BSTR* text) override { return NoThrow([&] { return node_ops::GetText(*this, text); }); }
    HRESULT STDMETHODCALLTYPE put_text(BSTR text) override { return NoThrow([&] { return node_ops::PutText(*this, text); }); }
    HRESULT STDMETHODCALLTYPE get_specified(VARIANT_BOOL* specified) override {
        if (specified == nullptr) return E_INVALIDARG;
        *specified = VARIANT_TRUE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_definition(IXMLDOMNode** definition) override { return NotOffered(definition); }
    HRESULT STDMETHODCALLTYPE get_nodeTypedValue(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_nodeTypedValue(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_dataType(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_dataType(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_xml(BSTR* xml) override { return NoThrow([&] { return node_ops::GetXml(*this, xml); }); }
    HRESULT STDMETHODCALLTYPE transformNode(IXMLDOMNode*, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE selectNodes(BSTR, IXMLDOMNodeList**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE selectSingleNode(BSTR, IXMLDOMNode**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_parsed(VARIANT_BOOL* parsed) override {
        if (parsed == nullptr) return E_INVALIDARG;
        *parsed = VARIANT_TRUE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_namespaceURI(BSTR* uri) override { return NoThrow([&] { return node_ops::GetNamespaceURI(*this, uri); }); }
    HRESULT STDMETHODCALLTYPE get_prefix(BSTR* prefix) override { return NoThrow([&] { return node_ops::GetPrefix(*this, prefix); }); }
    HRESULT STDMETHODCALLTYPE get_baseName(BSTR* name) override { return NoThrow([&] { return node_ops::GetBaseName(*this, name); }); }
    HRESULT STDMETHODCALLTYPE transformNodeToObject(IXMLDOMNode*, VARIANT) override { return E_NOTIMPL; }

protected:
    using NodeObject::NodeObject;

    // The interfaces of the node's kind beyond IUnknown, IDispatch and IXMLDOMNode.
    virtual void* QueryMore(REFIID) { return nullptr; }
};

}  // namespace msxml
