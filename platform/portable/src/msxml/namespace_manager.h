// IMXNamespaceManager: a stack of namespace contexts. Each context holds prefix bindings; a
// lookup consults the contexts from the most recent down, nearer bindings shadowing farther
// ones, and the xml prefix is always bound. Bindings are copied in, so the manager holds no node.
#pragma once

#include "com_object.h"
#include "xml_tree.h"

#include <platform/platform.h>

#include <cstdint>
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
    // Where a context's bindings were collected: a tree (under its reuse stamp), a node, and
    // whether the ancestors' declarations were taken too. No tree: anything else.
    struct Origin {
        const XmlTree* tree = nullptr;
        uint64_t stamp = 0;
        xmlNodePtr node = nullptr;
        bool deep = false;
        bool operator==(const Origin&) const = default;
    };
    struct Context {
        std::vector<Binding> bindings;
        Origin origin;
        // The elements consulted and their declarations, in the order read: while the tree's
        // reuse stamp holds, the same sequence means the same bindings.
        std::vector<const void*> scope;
    };
    Context& Current() {
        if (depth_ == 0) OpenBase();
        return contexts_[depth_ - 1];
    }
    // The one empty base context, made when none is live.
    void OpenBase();
    const std::string* Find(const std::string& prefix) const;
    // Whether a more recent context binds the same prefix.
    bool IsShadowed(size_t context, size_t index) const;
    // The slot the next pushed context goes in: contexts are never freed when popped, since
    // conversions push and pop one for every name they form, and reusing the storage spares an
    // allocation per binding. A popped context from `origin` is brought forward: if its scope
    // still holds, it is reused as it stands.
    Context& NextSlot(const Origin& origin);

    std::vector<Context> contexts_;  // the live ones, then popped ones kept for reuse
    size_t depth_ = 0;               // live contexts; none means one empty base context
    bool allowOverride_ = true;
};

}  // namespace msxml
