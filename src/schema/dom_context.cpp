#include <schema/dom_context.h>

#include <common/constants.h>
#include <common/hresult.h>
#include <common/format_string.h>

#include <climits>
#include <new>

namespace qp {

namespace {

// A string argument as a real BSTR, since MSXML's BSTR parameters may be measured by their
// recorded length. A null argument stays null.
HRESULT CopyAsBstr(const WCHAR* text, Bstr& out) {
    out.reset();
    if (text == nullptr) return S_OK;
    out = Bstr::Copy(text);
    return out ? S_OK : E_OUTOFMEMORY;
}

// The namespace manager reports a length without the terminator; this room is that plus one.
HRESULT RoomForManagerString(int length, int& room) {
    if (length < 0 || length == INT_MAX) return E_UNEXPECTED;
    room = length + 1;
    return S_OK;
}

bool IsTooLong(const WCHAR* text) { return WStrLenBounded(text, kMaxStringChars) >= kMaxStringChars; }

// Reads a string from the namespace manager in two calls, `read(buffer, &count)`: its length
// with no buffer, then the string into a BSTR one character longer, whose recorded length so
// counts the terminator. The declarations in scope at `node` are current meanwhile.
template <class Read>
HRESULT ReadInScopeOf(IMXNamespaceManager* manager, IXMLDOMNode* node, BSTR* out, Read read) {
    RETURN_IF_NOT_OK(manager->pushNodeContext(node, VARIANT_TRUE));
    Bstr text;
    int length = 0;
    int room = 0;
    HRESULT hr = read(nullptr, &length);
    if (hr == S_OK) hr = RoomForManagerString(length, room);
    if (hr == S_OK) {
        text = Bstr::Attach(SysAllocStringLen(nullptr, static_cast<UINT>(room)));
        hr = text ? read(text.get(), &room) : E_OUTOFMEMORY;
    }
    const HRESULT popped = manager->popContext();
    RETURN_IF_NOT_OK(hr);
    RETURN_IF_FAILED(popped);
    *out = text.detach();
    return S_OK;
}

}  // namespace

DomContext::DomContext(IXMLDOMDocument2* document, IPrintCoreHelper* coreHelper) noexcept {
    (void)DomContext::Initialize(document, coreHelper);
}

DomContext::~DomContext() { ReleaseAll(); }

void DomContext::ReleaseAll() noexcept {
    document_.reset();
    rootElement_.reset();
    namespaceManager_.reset();
}

HRESULT DomContext::Initialize(IXMLDOMDocument2* document, IPrintCoreHelper* coreHelper) {
    ReleaseAll();
    initializeResult_ = E_INVALIDARG;
    if (document == nullptr || coreHelper == nullptr) return E_INVALIDARG;

    document_ = ComPtr<IXMLDOMDocument2>(document);
    HRESULT hr = coreHelper->CreateInstanceOfMSXMLObject(CLSID_MXNamespaceManager60, nullptr, 0,
                                                         IID_IMXNamespaceManager, namespaceManager_.put_void());
    if (hr == S_OK && !namespaceManager_) hr = E_UNEXPECTED;
    if (hr == S_OK) {
        hr = document_->get_documentElement(rootElement_.put());
        if (hr == S_OK && !rootElement_) hr = E_UNEXPECTED;
    }
    if (hr != S_OK) ReleaseAll();
    initializeResult_ = hr;
    return hr;
}

HRESULT DomContext::GetPrefixForNamespace(const WCHAR* ns, BSTR* prefix) {
    if (ns == nullptr || prefix == nullptr) return E_INVALIDARG;
    *prefix = nullptr;
    if (!IsBound()) return E_UNEXPECTED;

    IMXNamespaceManager* manager = namespaceManager_.get();
    return ReadInScopeOf(manager, rootElement_.get(), prefix, [manager, ns](WCHAR* buffer, int* count) {
        return manager->getPrefix(ns, 0, buffer, count);
    });
}

HRESULT DomContext::MakeQName(const WCHAR* ns, const WCHAR* local, BSTR* qname) {
    if (local == nullptr || qname == nullptr) return E_INVALIDARG;
    *qname = nullptr;
    if (!IsBound()) return E_UNEXPECTED;

    if (ns == nullptr) {
        *qname = SysAllocString(local);
        return *qname ? S_OK : E_OUTOFMEMORY;
    }
    Bstr prefix;
    RETURN_IF_NOT_OK(GetPrefixForNamespace(ns, prefix.put()));
    if (IsTooLong(prefix.get())) return E_INVALIDARG;
    if (prefix.get()[0] == 0) {
        *qname = SysAllocString(local);
        return *qname ? S_OK : E_OUTOFMEMORY;
    }
    if (IsTooLong(local)) return E_INVALIDARG;

    const size_t room = WStrLen(prefix.get()) + WStrLen(local) + 2;
    Bstr text = Bstr::Attach(SysAllocStringLen(nullptr, static_cast<UINT>(room)));
    if (!text) return E_OUTOFMEMORY;
    RETURN_IF_NOT_OK(FormatString(text.get(), room, W("%s:%s"), prefix.get(), local));
    *qname = text.detach();
    return S_OK;
}

HRESULT DomContext::ListByQName(IXMLDOMElement* parent, const WCHAR* ns, const WCHAR* local,
                                IXMLDOMNodeList** list) {
    Bstr qname;
    RETURN_IF_NOT_OK(MakeQName(ns, local, qname.put()));
    return parent->getElementsByTagName(qname.get(), list);
}

HRESULT DomContext::CountElements(IXMLDOMElement* parent, const WCHAR* ns, const WCHAR* local, LONG* count) {
    if (parent == nullptr || ns == nullptr || local == nullptr || count == nullptr) return E_INVALIDARG;
    if (!IsBound()) return E_UNEXPECTED;

    ComPtr<IXMLDOMNodeList> list;
    RETURN_IF_NOT_OK(ListByQName(parent, ns, local, list.put()));
    LONG length = 0;
    RETURN_IF_NOT_OK(list->get_length(&length));
    *count = length;
    return S_OK;
}

HRESULT DomContext::CreateElement(IXMLDOMNode* parent, const WCHAR* ns, const WCHAR* local,
                                  IXMLDOMElement** element) {
    if (parent == nullptr || local == nullptr) return E_INVALIDARG;
    if (element != nullptr) *element = nullptr;
    if (!IsBound()) return E_UNEXPECTED;

    Bstr qname;
    RETURN_IF_NOT_OK(MakeQName(ns, local, qname.put()));
    Bstr namespaceUri;
    RETURN_IF_FAILED(CopyAsBstr(ns, namespaceUri));
    ComPtr<IXMLDOMNode> node;
    {
        Variant type = Variant::Int32(NODE_ELEMENT);
        RETURN_IF_NOT_OK(document_->createNode(type.get(), qname.get(), namespaceUri.get(), node.put()));
    }
    RETURN_IF_NOT_OK(parent->appendChild(node.get(), nullptr));
    if (element == nullptr) return S_OK;
    ComPtr<IXMLDOMElement> created;
    RETURN_IF_NOT_OK(node.QueryTo(IID_IXMLDOMElement, created));
    *element = created.detach();
    return S_OK;
}

HRESULT DomContext::SetQNameAttribute(IXMLDOMElement* element, const WCHAR* attrNs, const WCHAR* attrName,
                                      const WCHAR* valueNs, const WCHAR* valueLocal,
                                      IXMLDOMAttribute** attribute) {
    if (element == nullptr || attrName == nullptr || valueLocal == nullptr) return E_INVALIDARG;
    if (attribute != nullptr) *attribute = nullptr;
    if (!IsBound()) return E_UNEXPECTED;

    Bstr valueText;
    RETURN_IF_NOT_OK(MakeQName(valueNs, valueLocal, valueText.put()));
    Bstr name;
    RETURN_IF_FAILED(CopyAsBstr(attrName, name));
    Bstr namespaceUri;
    RETURN_IF_FAILED(CopyAsBstr(attrNs, namespaceUri));
    ComPtr<IXMLDOMNode> node;
    {
        Variant type = Variant::Int32(NODE_ATTRIBUTE);
        RETURN_IF_NOT_OK(document_->createNode(type.get(), name.get(), namespaceUri.get(), node.put()));
    }
    ComPtr<IXMLDOMAttribute> attr;
    RETURN_IF_NOT_OK(node.QueryTo(IID_IXMLDOMAttribute, attr));
    {
        Variant value;
        value.get().vt = VT_BSTR;
        value.get().bstrVal = SysAllocString(valueText.get());
        if (value.get().bstrVal == nullptr) return E_OUTOFMEMORY;
        RETURN_IF_NOT_OK(attr->put_value(value.get()));
    }
    RETURN_IF_NOT_OK(element->setAttributeNode(attr.get(), nullptr));
    if (attribute != nullptr) *attribute = attr.detach();
    return S_OK;
}

HRESULT DomContext::GetRootElement(IXMLDOMElement** root) {
    if (root == nullptr) return E_INVALIDARG;
    *root = nullptr;
    if (!IsBound()) return E_UNEXPECTED;

    *root = rootElement_.get();
    (*root)->AddRef();
    return S_OK;
}

HRESULT DomContext::GetElementAt(IXMLDOMElement* parent, const WCHAR* ns, const WCHAR* local, LONG index,
                                 IXMLDOMElement** element) {
    if (parent == nullptr || ns == nullptr || local == nullptr || element == nullptr) return E_INVALIDARG;
    *element = nullptr;
    if (!IsBound()) return E_UNEXPECTED;

    ComPtr<IXMLDOMNodeList> list;
    RETURN_IF_NOT_OK(ListByQName(parent, ns, local, list.put()));
    ComPtr<IXMLDOMNode> node;
    RETURN_IF_NOT_OK(list->get_item(index, node.put()));
    if (!node) return S_FALSE;
    ComPtr<IXMLDOMElement> found;
    RETURN_IF_NOT_OK(node.QueryTo(IID_IXMLDOMElement, found));
    *element = found.detach();
    return S_OK;
}

HRESULT DomContext::GetAttribute(IXMLDOMNode* node, const WCHAR* name, IXMLDOMAttribute** attribute) {
    if (node == nullptr || name == nullptr || attribute == nullptr) return E_INVALIDARG;
    *attribute = nullptr;
    if (!IsBound()) return E_UNEXPECTED;

    Bstr attrName;
    RETURN_IF_FAILED(CopyAsBstr(name, attrName));
    ComPtr<IXMLDOMAttribute> found;
    RETURN_IF_NOT_OK(NamedAttribute(node, attrName.get(), found));
    *attribute = found.detach();
    return S_OK;
}

HRESULT DomContext::GetElementsByTagName(IXMLDOMElement* parent, const WCHAR* ns, const WCHAR* local,
                                         IXMLDOMNodeList** list) {
    if (local == nullptr || list == nullptr) return E_INVALIDARG;
    *list = nullptr;
    if (!IsBound()) return E_UNEXPECTED;

    return ListByQName(parent != nullptr ? parent : rootElement_.get(), ns, local, list);
}

// The attribute of `node` named `name`; S_FALSE when it has none.
HRESULT DomContext::NamedAttribute(IXMLDOMNode* node, BSTR name, ComPtr<IXMLDOMAttribute>& attribute) {
    ComPtr<IXMLDOMNamedNodeMap> attributes;
    RETURN_IF_NOT_OK(node->get_attributes(attributes.put()));
    if (!attributes) return S_FALSE;
    ComPtr<IXMLDOMNode> item;
    RETURN_IF_NOT_OK(attributes->getNamedItem(name, item.put()));
    if (!item) return S_FALSE;
    return item.QueryTo(IID_IXMLDOMAttribute, attribute);
}

HRESULT DomContext::FindElementByAttribute(IXMLDOMNodeList* list, const WCHAR* attrName, const WCHAR* value,
                                           IXMLDOMElement** element) {
    if (list == nullptr || attrName == nullptr || value == nullptr || element == nullptr) return E_INVALIDARG;
    *element = nullptr;
    if (!IsBound()) return E_UNEXPECTED;

    Bstr name;
    RETURN_IF_FAILED(CopyAsBstr(attrName, name));
    ComPtr<IXMLDOMNode> node;
    while (list->nextNode(node.put()) == S_OK && node) {
        ComPtr<IXMLDOMAttribute> attribute;
        Bstr text;
        if (NamedAttribute(node.get(), name.get(), attribute) != S_OK) return S_FALSE;
        if (attribute->get_text(text.put()) != S_OK) return S_FALSE;
        if (WStrEqual(text ? text.get() : W(""), value)) {
            ComPtr<IXMLDOMElement> found;
            const HRESULT hr = node.QueryTo(IID_IXMLDOMElement, found);
            *element = found.detach();
            return hr;
        }
    }
    return S_FALSE;
}

HRESULT DomContext::RemoveChild(IXMLDOMNode* parent, IXMLDOMNode* child) {
    if (child == nullptr) return E_INVALIDARG;
    if (!IsBound()) return E_UNEXPECTED;

    IXMLDOMNode* from = parent != nullptr ? parent : rootElement_.get();
    ComPtr<IXMLDOMNode> removed;
    RETURN_IF_NOT_OK(from->removeChild(child, removed.put()));
    // The caller's reference is consumed on success.
    child->Release();
    return S_OK;
}

HRESULT DomContext::GetNamespaceURI(IXMLDOMNode* node, const WCHAR* qname, BSTR* uri) {
    if (node == nullptr || qname == nullptr || uri == nullptr) return E_INVALIDARG;
    *uri = nullptr;
    if (!IsBound()) return E_UNEXPECTED;

    Bstr prefix;
    RETURN_IF_NOT_OK(GetPrefix(qname, prefix.put()));
    IMXNamespaceManager* manager = namespaceManager_.get();
    const WCHAR* bound = prefix.get();
    return ReadInScopeOf(manager, node, uri, [manager, bound](WCHAR* buffer, int* count) {
        return manager->getURI(bound, nullptr, buffer, count);
    });
}

HRESULT DomContext::GetLocalName(const WCHAR* qname, BSTR* local) {
    if (qname == nullptr || local == nullptr) return E_INVALIDARG;
    *local = nullptr;
    if (!IsBound()) return E_UNEXPECTED;

    const WCHAR* colon = WStrChr(qname, W(':'));
    *local = SysAllocString(colon != nullptr ? colon + 1 : qname);
    return *local ? S_OK : E_OUTOFMEMORY;
}

HRESULT DomContext::GetPrefix(const WCHAR* qname, BSTR* prefix) {
    if (qname == nullptr || prefix == nullptr) return E_INVALIDARG;
    *prefix = nullptr;
    if (!IsBound()) return E_UNEXPECTED;

    const WCHAR* colon = WStrChr(qname, W(':'));
    const size_t length = colon != nullptr ? static_cast<size_t>(colon - qname) : 0;
    *prefix = SysAllocStringLen(qname, static_cast<UINT>(length));
    return *prefix ? S_OK : E_OUTOFMEMORY;
}

}  // namespace qp
