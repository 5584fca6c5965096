#include "namespace_manager.h"

#include "boundary_strings.h"
#include "node_object.h"

#include <libxml/tree.h>

#include <algorithm>
#include <new>

namespace msxml {
namespace {

const std::string kXmlPrefix = "xml";
const std::string kXmlNamespace = Chars(XML_XML_NAMESPACE);

// The element whose declarations are in scope at `node`.
xmlNodePtr ScopeElement(xmlNodePtr node) {
    xmlNodePtr n = node->type == XML_ELEMENT_NODE ? node : node->parent;
    return n && n->type == XML_ELEMENT_NODE ? n : nullptr;
}

// Fills `out` with the declarations in scope at `node`, nearer ones first. The bindings already
// in `out` are overwritten in place, so a context that is reused keeps its strings' storage.
template <class Context>
void CollectDeclarations(xmlNodePtr node, bool deep, Context& out) {
    size_t used = 0;
    for (xmlNodePtr x = ScopeElement(node); x && x->type == XML_ELEMENT_NODE; x = deep ? x->parent : nullptr) {
        for (xmlNsPtr ns = x->nsDef; ns; ns = ns->next) {
            const std::string_view prefix = View(ns->prefix);
            const auto end = out.begin() + static_cast<std::ptrdiff_t>(used);
            if (std::any_of(out.begin(), end, [&](const auto& b) { return b.prefix == prefix; })) continue;
            if (used == out.size()) out.emplace_back();
            out[used].prefix.assign(prefix);
            out[used].uri.assign(View(ns->href));
            ++used;
        }
    }
    out.resize(used);
}

}  // namespace

HRESULT NamespaceManager::Create(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    NamespaceManager* manager = NewObject<NamespaceManager>();
    if (manager == nullptr) return E_OUTOFMEMORY;
    const HRESULT hr = manager->QueryInterface(riid, ppv);
    manager->Release();
    return hr;
}

HRESULT NamespaceManager::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (riid != IID_IUnknown && riid != IID_IMXNamespaceManager) return E_NOINTERFACE;
    *ppv = static_cast<IMXNamespaceManager*>(this);
    AddRefObject();
    return S_OK;
}

NamespaceManager::Context& NamespaceManager::Current() {
    if (contexts_.empty()) contexts_.emplace_back();
    return contexts_.back();
}

bool NamespaceManager::IsShadowed(size_t context, size_t index) const {
    const std::string& prefix = contexts_[context][index].prefix;
    const auto same = [&prefix](const Binding& b) { return b.prefix == prefix; };
    const Context& own = contexts_[context];
    if (std::any_of(own.begin(), own.begin() + static_cast<std::ptrdiff_t>(index), same)) return true;
    for (size_t nearer = context + 1; nearer < contexts_.size(); ++nearer) {
        if (std::any_of(contexts_[nearer].begin(), contexts_[nearer].end(), same)) return true;
    }
    return false;
}

const std::string* NamespaceManager::Find(const std::string& prefix) const {
    for (auto context = contexts_.rbegin(); context != contexts_.rend(); ++context) {
        for (const Binding& b : *context) {
            if (b.prefix == prefix) return &b.uri;
        }
    }
    return nullptr;
}

HRESULT NamespaceManager::putAllowOverride(VARIANT_BOOL allow) {
    allowOverride_ = allow != VARIANT_FALSE;
    return S_OK;
}

HRESULT NamespaceManager::getAllowOverride(VARIANT_BOOL* allow) {
    if (allow == nullptr) return E_POINTER;
    *allow = allowOverride_ ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT NamespaceManager::reset() {
    contexts_.clear();
    return S_OK;
}

HRESULT NamespaceManager::pushContext() {
    return NoThrow([&] {
        Current();
        contexts_.emplace_back();
        return S_OK;
    });
}

HRESULT NamespaceManager::pushNodeContext(IXMLDOMNode* node, VARIANT_BOOL deep) {
    if (node == nullptr) return E_INVALIDARG;
    NodeObject* object = ObjectFromInterface(node);
    if (object == nullptr) return E_INVALIDARG;
    return NoThrow([&] {
        Context context = TakeSpareContext();
        CollectDeclarations(object->node(), deep != VARIANT_FALSE, context);
        Current();
        contexts_.push_back(std::move(context));
        return S_OK;
    });
}

HRESULT NamespaceManager::popContext() {
    if (contexts_.size() <= 1) return E_FAIL;
    try {
        spare_.push_back(std::move(contexts_.back()));
    } catch (const std::bad_alloc&) {
        // Not kept for reuse: the pop itself still happens.
    }
    contexts_.pop_back();
    return S_OK;
}

NamespaceManager::Context NamespaceManager::TakeSpareContext() noexcept {
    if (spare_.empty()) return {};
    Context context = std::move(spare_.back());
    spare_.pop_back();
    return context;
}

HRESULT NamespaceManager::declarePrefix(const WCHAR* prefix, const WCHAR* uri) {
    if (uri == nullptr) return E_INVALIDARG;
    return NoThrow([&] {
        std::string name = ArgToUtf8(prefix);
        if (name == kXmlPrefix || name == "xmlns") return E_INVALIDARG;
        Context& context = Current();
        for (Binding& b : context) {
            if (b.prefix != name) continue;
            if (!allowOverride_) return E_FAIL;
            b.uri = ArgToUtf8(uri);
            return S_OK;
        }
        context.push_back({std::move(name), ArgToUtf8(uri)});
        return S_OK;
    });
}

HRESULT NamespaceManager::getDeclaredPrefix(LONG index, WCHAR* prefix, int* count) {
    if (count == nullptr) return E_POINTER;
    if (index < 0) return E_INVALIDARG;
    return NoThrow([&] {
        const Context& context = Current();
        if (static_cast<size_t>(index) >= context.size()) return E_FAIL;
        return CopyToCallerBuffer(context[static_cast<size_t>(index)].prefix, prefix, count);
    });
}

HRESULT NamespaceManager::getPrefix(const WCHAR* uri, LONG index, WCHAR* prefix, int* count) {
    if (count == nullptr) return E_POINTER;
    if (uri == nullptr || uri[0] == 0 || index < 0) return E_INVALIDARG;
    return NoThrow([&] {
        const ArgText wanted(uri);
        LONG remaining = index;
        for (size_t context = contexts_.size(); context-- > 0;) {
            for (size_t i = 0; i < contexts_[context].size(); ++i) {
                const Binding& b = contexts_[context][i];
                if (!wanted.Equals(b.uri) || IsShadowed(context, i)) continue;
                if (remaining-- == 0) return CopyToCallerBuffer(b.prefix, prefix, count);
            }
        }
        if (wanted.Equals(kXmlNamespace) && remaining == 0) return CopyToCallerBuffer(kXmlPrefix, prefix, count);
        return E_FAIL;
    });
}

HRESULT NamespaceManager::getURI(const WCHAR* prefix, IXMLDOMNode* node, WCHAR* uri, int* count) {
    if (count == nullptr) return E_POINTER;
    if (prefix == nullptr) return E_INVALIDARG;
    NodeObject* object = nullptr;
    if (node != nullptr && (object = ObjectFromInterface(node)) == nullptr) return E_INVALIDARG;
    return NoThrow([&] {
        const std::string name = ArgToUtf8(prefix);
        if (name == "xmlns") {
            if (uri && *count > 0) uri[0] = 0;
            *count = 0;
            return S_FALSE;
        }
        if (name == kXmlPrefix) return CopyToCallerBuffer(kXmlNamespace, uri, count);
        const std::string* bound = nullptr;
        Context scope;
        if (object) {
            CollectDeclarations(object->node(), true, scope);
            for (const Binding& b : scope) {
                if (b.prefix == name) bound = &b.uri;
            }
        } else {
            bound = Find(name);
        }
        if (bound == nullptr || bound->empty()) return E_FAIL;
        return CopyToCallerBuffer(*bound, uri, count);
    });
}

}  // namespace msxml
