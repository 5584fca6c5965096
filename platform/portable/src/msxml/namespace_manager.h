// IMXNamespaceManager: a stack of namespace contexts. Each context holds prefix bindings; a
// lookup consults the contexts from the most recent down, nearer bindings shadowing farther
// ones, and the xml prefix is always bound. Bindings are copied in, so the manager holds no node.
#pragma once

#include "com_object.h"

#include <platform/platform.h>

#include <string>
#include <vector>

namespace msxml {

class NamespaceManager final : public IMXNamespaceManager, public ComObject {
public:
    static HRESULT Create(REFIID riid, void** ppv);

    NamespaceManager() noexcept = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return AddRefObject(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseObject(); }

    HRESULT STDMETHODCALLTYPE putAllowOverride(VARIANT_BOOL allow) override;
    HRESULT STDMETHODCALLTYPE getAllowOverride(VARIANT_BOOL* allow) override;
    HRESULT STDMETHODCALLTYPE reset() override;
    HRESULT STDMETHODCALLTYPE pushContext() override;
    // A new context with the node's own declarations; with `deep`, also its ancestors'.
    HRESULT STDMETHODCALLTYPE pushNodeContext(IXMLDOMNode* node, VARIANT_BOOL deep) override;
    // E_FAIL when only the base context is left.
    HRESULT STDMETHODCALLTYPE popContext() override;
    HRESULT STDMETHODCALLTYPE declarePrefix(const WCHAR* prefix, const WCHAR* uri) override;
    HRESULT STDMETHODCALLTYPE getDeclaredPrefix(LONG index, WCHAR* prefix, int* count) override;
    // The index-th prefix bound to `uri` ("" for the default namespace), nearest first; E_FAIL
    // when there is none. A null buffer asks for the length; the count includes no terminator.
    HRESULT STDMETHODCALLTYPE getPrefix(const WCHAR* uri, LONG index, WCHAR* prefix, int* count) override;
    // The URI bound to `prefix` ("" for the default namespace) at `node`, or in the current
    // context when `node` is null; E_FAIL when unbound, S_FALSE for "xmlns".
    HRESULT STDMETHODCALLTYPE getURI(const WCHAR* prefix, IXMLDOMNode* node, WCHAR* uri, int* count) override;

private:
    struct Binding {
        std::string prefix;  // empty: the default namespace
        std::string uri;     // empty: undeclared (xmlns="")
    };
    using Context = std::vector<Binding>;

    Context& Current();
    const std::string* Find(const std::string& prefix) const;
    // Whether a binding of the same prefix comes first in lookup order: earlier in the same
    // context, or in a more recent one.
    bool IsShadowed(size_t context, size_t index) const;
    // A popped context with its storage, or a new one: conversions push and pop a context for
    // every name they form, and reusing the storage spares an allocation per binding.
    Context TakeSpareContext() noexcept;

    std::vector<Context> contexts_;  // empty means one empty base context
    std::vector<Context> spare_;     // popped contexts kept for reuse
    bool allowOverride_ = true;
};

}  // namespace msxml
