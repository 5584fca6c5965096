#include <session/host_namespace_manager.h>

#include <platform/hresult_flow.h>

#include <algorithm>
#include <new>

using qp::Bstr;
using qp::ComPtr;
using qp::Variant;

namespace {

using View = std::basic_string_view<WCHAR>;

constexpr View kXmlPrefix = W("xml");
constexpr View kXmlnsPrefix = W("xmlns");
constexpr View kXmlNamespace = W("http://www.w3.org/XML/1998/namespace");

// A string argument, read up to its first NUL whatever a BSTR records; null reads as empty.
View Arg(const WCHAR* text) { return text != nullptr ? View(text, WStrLen(text)) : View(); }

View AsView(BSTR text) { return text != nullptr ? View(text, SysStringLen(text)) : View(); }

// The caller-buffer protocol: a null buffer asks for the length; otherwise the buffer, of
// *count characters, must hold the text and its terminator. *count is the length afterwards.
HRESULT CopyOut(View text, WCHAR* buffer, int* count) {
    const int length = static_cast<int>(text.size());
    if (buffer == nullptr) {
        *count = length;
        return S_OK;
    }
    if (*count <= length) {
        *count = length;
        return E_XML_BUFFERTOOSMALL;
    }
    std::copy(text.begin(), text.end(), buffer);
    buffer[length] = 0;
    *count = length;
    return S_OK;
}

// `node` when it is an element, else null.
HRESULT ElementOrNull(ComPtr<IXMLDOMNode> node, ComPtr<IXMLDOMNode>& element) {
    element.reset();
    if (!node) return S_OK;
    DOMNodeType type = NODE_INVALID;
    RETURN_IF_FAILED(node->get_nodeType(&type));
    if (type == NODE_ELEMENT) element = std::move(node);
    return S_OK;
}

HRESULT ParentElement(IXMLDOMNode* node, ComPtr<IXMLDOMNode>& element) {
    ComPtr<IXMLDOMNode> parent;
    RETURN_IF_FAILED(node->get_parentNode(parent.put()));
    return ElementOrNull(std::move(parent), element);
}

// The element whose declarations are in scope at `node`: itself, or its parent for text and
// the like; null for a node outside any element.
HRESULT ScopeElement(IXMLDOMNode* node, ComPtr<IXMLDOMNode>& element) {
    RETURN_IF_FAILED(ElementOrNull(ComPtr<IXMLDOMNode>(node), element));
    if (element) return S_OK;
    return ParentElement(node, element);
}

// The prefix an attribute named `name` declares: "" for xmlns, p for xmlns:p. False for any
// other attribute.
bool DeclaredPrefix(View name, View& prefix) {
    constexpr View kPrefixed = W("xmlns:");
    if (name == kXmlnsPrefix) {
        prefix = View();
        return true;
    }
    if (name.size() <= kPrefixed.size() || !name.starts_with(kPrefixed)) return false;
    prefix = name.substr(kPrefixed.size());
    return true;
}

}  // namespace

HRESULT HostNamespaceManager::Create(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    const auto manager = ComPtr<HostNamespaceManager>::Attach(new (std::nothrow) HostNamespaceManager());
    if (!manager) return E_OUTOFMEMORY;
    return manager->QueryInterface(riid, ppv);
}

HRESULT STDMETHODCALLTYPE HostNamespaceManager::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (riid != IID_IUnknown && riid != IID_IMXNamespaceManager) return E_NOINTERFACE;
    *ppv = static_cast<IMXNamespaceManager*>(this);
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE HostNamespaceManager::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }

ULONG STDMETHODCALLTYPE HostNamespaceManager::Release() {
    const LONG remaining = InterlockedDecrement(&refs_);
    if (remaining == 0) delete this;
    return static_cast<ULONG>(remaining);
}

HRESULT STDMETHODCALLTYPE HostNamespaceManager::putAllowOverride(VARIANT_BOOL allow) {
    allowOverride_ = allow != VARIANT_FALSE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HostNamespaceManager::getAllowOverride(VARIANT_BOOL* allow) {
    if (allow == nullptr) return E_POINTER;
    *allow = allowOverride_ ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HostNamespaceManager::reset() {
    contexts_.clear();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HostNamespaceManager::pushContext() {
    return qp::NoThrow([&]() -> HRESULT {
        Current();
        contexts_.emplace_back();
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE HostNamespaceManager::pushNodeContext(IXMLDOMNode* node, VARIANT_BOOL deep) {
    if (node == nullptr) return E_INVALIDARG;
    return qp::NoThrow([&]() -> HRESULT {
        Context bindings;
        RETURN_IF_FAILED(CollectDeclarations(node, deep != VARIANT_FALSE, bindings));
        Current();
        contexts_.push_back(std::move(bindings));
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE HostNamespaceManager::popContext() {
    if (contexts_.size() <= 1) return E_FAIL;
    contexts_.pop_back();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HostNamespaceManager::declarePrefix(const WCHAR* prefix, const WCHAR* uri) {
    if (uri == nullptr) return E_INVALIDARG;
    const View name = Arg(prefix);
    if (name == kXmlPrefix || name == kXmlnsPrefix) return E_INVALIDARG;
    return qp::NoThrow([&]() -> HRESULT {
        Context& context = Current();
        for (Binding& b : context) {
            if (b.prefix != name) continue;
            if (!allowOverride_) return E_FAIL;
            b.uri.assign(Arg(uri));
            return S_OK;
        }
        context.push_back(Binding{Text(name), Text(Arg(uri))});
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE HostNamespaceManager::getDeclaredPrefix(LONG index, WCHAR* prefix, int* count) {
    if (count == nullptr) return E_POINTER;
    if (index < 0) return E_INVALIDARG;
    if (contexts_.empty() || static_cast<size_t>(index) >= contexts_.back().size()) return E_FAIL;
    return CopyOut(contexts_.back()[static_cast<size_t>(index)].prefix, prefix, count);
}

HRESULT STDMETHODCALLTYPE HostNamespaceManager::getPrefix(const WCHAR* uri, LONG index, WCHAR* prefix, int* count) {
    if (count == nullptr) return E_POINTER;
    if (uri == nullptr || uri[0] == 0 || index < 0) return E_INVALIDARG;
    const View wanted = Arg(uri);
    LONG remaining = index;
    for (size_t context = contexts_.size(); context-- > 0;) {
        for (const Binding& b : contexts_[context]) {
            if (b.uri != wanted || IsShadowed(context, b.prefix)) continue;
            if (remaining-- == 0) return CopyOut(b.prefix, prefix, count);
        }
    }
    if (wanted == kXmlNamespace && remaining == 0) return CopyOut(kXmlPrefix, prefix, count);
    return E_FAIL;
}

HRESULT STDMETHODCALLTYPE HostNamespaceManager::getURI(const WCHAR* prefix, IXMLDOMNode* node, WCHAR* uri,
                                                       int* count) {
    if (count == nullptr) return E_POINTER;
    if (prefix == nullptr) return E_INVALIDARG;
    const View name = Arg(prefix);
    if (name == kXmlnsPrefix) {
        if (uri != nullptr && *count > 0) uri[0] = 0;
        *count = 0;
        return S_FALSE;
    }
    if (name == kXmlPrefix) return CopyOut(kXmlNamespace, uri, count);
    return qp::NoThrow([&]() -> HRESULT {
        Context scope;
        if (node != nullptr) RETURN_IF_FAILED(CollectDeclarations(node, true, scope));
        const Binding* bound = node != nullptr ? FindIn(scope, name) : Find(name);
        if (bound == nullptr || bound->uri.empty()) return E_FAIL;
        return CopyOut(bound->uri, uri, count);
    });
}

HRESULT HostNamespaceManager::CollectDeclarations(IXMLDOMNode* node, bool deep, Context& bindings) {
    ComPtr<IXMLDOMNode> element;
    RETURN_IF_FAILED(ScopeElement(node, element));
    while (element) {
        RETURN_IF_FAILED(AddDeclarations(element.get(), bindings));
        if (!deep) break;
        ComPtr<IXMLDOMNode> parent;
        RETURN_IF_FAILED(ParentElement(element.get(), parent));
        element = std::move(parent);
    }
    return S_OK;
}

// Declarations are read as attributes, by position: Wine's getNamedItem finds no xmlns:p. One
// item past the length is read too: on an element with no other attribute, Wine's map gives its
// first declaration twice and its last one there. A repeated declaration is passed over.
HRESULT HostNamespaceManager::AddDeclarations(IXMLDOMNode* element, Context& bindings) {
    ComPtr<IXMLDOMNamedNodeMap> attributes;
    RETURN_IF_FAILED(element->get_attributes(attributes.put()));
    if (!attributes) return S_OK;
    LONG length = 0;
    RETURN_IF_FAILED(attributes->get_length(&length));
    for (LONG i = 0; i < length; ++i) {
        ComPtr<IXMLDOMNode> attribute;
        RETURN_IF_FAILED(attributes->get_item(i, attribute.put()));
        if (attribute) RETURN_IF_FAILED(AddDeclaration(attribute.get(), bindings));
    }
    ComPtr<IXMLDOMNode> beyond;
    RETURN_IF_FAILED(attributes->get_item(length, beyond.put()));
    return beyond ? AddDeclaration(beyond.get(), bindings) : S_OK;
}

HRESULT HostNamespaceManager::AddDeclaration(IXMLDOMNode* attribute, Context& bindings) {
    Bstr name;
    RETURN_IF_FAILED(attribute->get_nodeName(name.put()));
    View prefix;
    if (!DeclaredPrefix(AsView(name.get()), prefix) || FindIn(bindings, prefix) != nullptr) return S_OK;
    Variant value;
    RETURN_IF_FAILED(attribute->get_nodeValue(value.put()));
    if (value.get().vt != VT_BSTR) return E_UNEXPECTED;
    bindings.push_back(Binding{Text(prefix), Text(AsView(value.get().bstrVal))});
    return S_OK;
}

const HostNamespaceManager::Binding* HostNamespaceManager::FindIn(const Context& bindings, View prefix) {
    const auto same = [prefix](const Binding& b) { return b.prefix == prefix; };
    const auto found = std::find_if(bindings.begin(), bindings.end(), same);
    return found != bindings.end() ? &*found : nullptr;
}

HostNamespaceManager::Context& HostNamespaceManager::Current() {
    if (contexts_.empty()) contexts_.emplace_back();
    return contexts_.back();
}

const HostNamespaceManager::Binding* HostNamespaceManager::Find(View prefix) const {
    for (size_t context = contexts_.size(); context-- > 0;) {
        if (const Binding* bound = FindIn(contexts_[context], prefix)) return bound;
    }
    return nullptr;
}

bool HostNamespaceManager::IsShadowed(size_t context, const Text& prefix) const {
    for (size_t nearer = context + 1; nearer < contexts_.size(); ++nearer) {
        if (FindIn(contexts_[nearer], prefix) != nullptr) return true;
    }
    return false;
}
