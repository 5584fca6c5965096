// IMXNamespaceManager of the host's own, for runtimes whose manager cannot read a node's scope
// (Wine's refuses pushNodeContext). It reads declarations through the DOM interfaces alone, as
// the xmlns and xmlns:p attributes every element lists, so it works over any IXMLDOMNode. It
// answers as the MSXML stand-in's manager does; only a context pushed from an attribute node
// differs: the DOM gives an attribute no parent, so its context holds no declarations. A DOM
// call that fails fails the push; Wine's attribute map fails so on an xmlns="..." declaration.
#pragma once

#include <platform/com_ptr.h>

#include <string>
#include <string_view>
#include <vector>

class HostNamespaceManager final : public IMXNamespaceManager {
public:
    // A new manager answering `riid` (IUnknown or IMXNamespaceManager) into *ppv.
    static HRESULT Create(REFIID riid, void** ppv);

    HostNamespaceManager(const HostNamespaceManager&) = delete;
    HostNamespaceManager& operator=(const HostNamespaceManager&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE putAllowOverride(VARIANT_BOOL allow) override;
    HRESULT STDMETHODCALLTYPE getAllowOverride(VARIANT_BOOL* allow) override;
    // Back to one empty base context.
    HRESULT STDMETHODCALLTYPE reset() override;
    HRESULT STDMETHODCALLTYPE pushContext() override;
    // A new context with the declarations of `node`'s element; with `deep`, also its ancestors',
    // nearer ones shadowing farther ones. The strings are copied: no node is held afterwards.
    HRESULT STDMETHODCALLTYPE pushNodeContext(IXMLDOMNode* node, VARIANT_BOOL deep) override;
    // E_FAIL when only the base context is left.
    HRESULT STDMETHODCALLTYPE popContext() override;
    // Binds `prefix` in the current context; xml and xmlns cannot be bound.
    HRESULT STDMETHODCALLTYPE declarePrefix(const WCHAR* prefix, const WCHAR* uri) override;
    // The index-th binding of the current context; E_FAIL past the last.
    HRESULT STDMETHODCALLTYPE getDeclaredPrefix(LONG index, WCHAR* prefix, int* count) override;
    // The index-th prefix bound to `uri` ("" for the default namespace), nearest first; E_FAIL
    // when there is none. A null buffer asks for the length; the count includes no terminator.
    HRESULT STDMETHODCALLTYPE getPrefix(const WCHAR* uri, LONG index, WCHAR* prefix, int* count) override;
    // The URI bound to `prefix` ("" for the default namespace) at `node`, or in the current
    // context when `node` is null; E_FAIL when unbound, S_FALSE for "xmlns".
    HRESULT STDMETHODCALLTYPE getURI(const WCHAR* prefix, IXMLDOMNode* node, WCHAR* uri, int* count) override;

private:
    using Text = std::basic_string<WCHAR>;
    struct Binding {
        Text prefix;  // empty: the default namespace
        Text uri;     // empty: undeclared (xmlns="")
    };
    using Context = std::vector<Binding>;

    HostNamespaceManager() noexcept = default;
    ~HostNamespaceManager() = default;

    // Adds to `bindings` the declarations in scope at `node`, nearer ones first; a prefix
    // already there is shadowed and passed over.
    static HRESULT CollectDeclarations(IXMLDOMNode* node, bool deep, Context& bindings);
    static HRESULT AddDeclarations(IXMLDOMNode* element, Context& bindings);
    static HRESULT AddDeclaration(IXMLDOMNode* attribute, Context& bindings);
    static const Binding* FindIn(const Context& bindings, std::basic_string_view<WCHAR> prefix);

    // The current context, the base one made first if none is live yet.
    Context& Current();
    // The binding of `prefix` in the nearest context that has one, or null.
    const Binding* Find(std::basic_string_view<WCHAR> prefix) const;
    // Whether a context above `context` binds `prefix` again.
    bool IsShadowed(size_t context, const Text& prefix) const;

    LONG refs_ = 1;
    // No live context stands for one empty base context, so that making a manager allocates
    // nothing but the object.
    std::vector<Context> contexts_;
    bool allowOverride_ = true;
};
