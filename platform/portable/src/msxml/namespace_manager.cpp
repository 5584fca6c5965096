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

// Calls `element(x)` for each element whose declarations are in scope at `node`, nearest
// first, and `declaration(ns)` for each of its declarations; stops when either returns false.
template <class Element, class Declaration>
void VisitScope(xmlNodePtr node, bool deep, Element element, Declaration declaration) {
    for (xmlNodePtr x = ScopeElement(node); x && x->type == XML_ELEMENT_NODE; x = deep ? x->parent : nullptr) {
        if (!element(x)) return;
        for (xmlNsPtr ns = x->nsDef; ns; ns = ns->next) {
            if (!declaration(ns)) return;
        }
    }
}

// Fills `out` with the declarations in scope at `node`, nearer ones first, and `scope` with
// what was read. The bindings already in `out` are overwritten in place, so a context that is
// reused keeps its strings' storage.
template <class Bindings>
void CollectDeclarations(xmlNodePtr node, bool deep, Bindings& out, std::vector<const void*>& scope) {
    size_t used = 0;
    scope.clear();
    const auto element = [&scope](xmlNodePtr x) {
        scope.push_back(x);
        return true;
    };
    const auto declaration = [&](xmlNsPtr ns) {
        scope.push_back(ns);
        const std::string_view prefix = View(ns->prefix);
        const auto end = out.begin() + static_cast<std::ptrdiff_t>(used);
        if (std::any_of(out.begin(), end, [&](const auto& b) { return b.prefix == prefix; })) return true;
        if (used == out.size()) out.emplace_back();
        // A reused context mostly held the same declarations: unchanged strings are not copied.
        const std::string_view href = View(ns->href);
        if (out[used].prefix != prefix) out[used].prefix.assign(prefix);
        if (out[used].uri != href) out[used].uri.assign(href);
        ++used;
        return true;
    };
    VisitScope(node, deep, element, declaration);
    out.resize(used);
}

// Whether the elements and declarations in scope at `node` are still those in `scope`.
bool ScopeHolds(xmlNodePtr node, bool deep, const std::vector<const void*>& scope) {
    const void* const* next = scope.data();
    const void* const* end = next + scope.size();
    for (xmlNodePtr x = ScopeElement(node); x && x->type == XML_ELEMENT_NODE; x = deep ? x->parent : nullptr) {
        if (next == end || *next++ != x) return false;
        for (xmlNsPtr ns = x->nsDef; ns; ns = ns->next) {
            if (next == end || *next++ != ns) return false;
        }
    }
    return next == end;
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

void NamespaceManager::OpenBase() {
    contexts_.clear();
    contexts_.emplace_back();
    depth_ = 1;
}

bool NamespaceManager::IsShadowed(size_t context, size_t index) const {
    // A context holds each prefix once (collection keeps the nearest declaration, declarePrefix
    // replaces), so only more recent contexts can shadow a binding.
    const std::string& prefix = contexts_[context].bindings[index].prefix;
    const auto same = [&prefix](const Binding& b) { return b.prefix == prefix; };
    for (size_t nearer = context + 1; nearer < depth_; ++nearer) {
        const std::vector<Binding>& bindings = contexts_[nearer].bindings;
        if (std::any_of(bindings.begin(), bindings.end(), same)) return true;
    }
    return false;
}

const std::string* NamespaceManager::Find(const std::string& prefix) const {
    for (size_t context = depth_; context-- > 0;) {
        for (const Binding& b : contexts_[context].bindings) {
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
    depth_ = 0;
    return S_OK;
}

HRESULT NamespaceManager::pushContext() {
    return NoThrow([&] {
        Current();
        Context& context = NextSlot(Origin{});
        context.bindings.clear();
        context.origin = {};
        ++depth_;
        return S_OK;
    });
}

HRESULT NamespaceManager::pushNodeContext(IXMLDOMNode* node, VARIANT_BOOL deep) {
    if (node == nullptr) return E_INVALIDARG;
    NodeObject* object = ObjectFromInterface(node);
    if (object == nullptr) return E_INVALIDARG;
    const Origin origin{&object->tree(), object->tree().reuseStamp(), object->node(), deep != VARIANT_FALSE};
    return NoThrow([&] {
        Current();
        Context& context = NextSlot(origin);
        if (!(context.origin == origin && ScopeHolds(origin.node, origin.deep, context.scope))) {
            context.origin = {};
            CollectDeclarations(origin.node, origin.deep, context.bindings, context.scope);
            context.origin = origin;
        }
        ++depth_;
        return S_OK;
    });
}

HRESULT NamespaceManager::popContext() {
    if (depth_ <= 1) return E_FAIL;
    --depth_;
    return S_OK;
}

NamespaceManager::Context& NamespaceManager::NextSlot(const Origin& origin) {
    if (depth_ == contexts_.size()) return contexts_.emplace_back();
    if (contexts_[depth_].origin == origin) return contexts_[depth_];
    const auto popped = contexts_.begin() + static_cast<std::ptrdiff_t>(depth_);
    const auto same = std::find_if(popped, contexts_.end(), [&](const Context& c) { return c.origin == origin; });
    if (same != contexts_.end() && same != popped) std::swap(*same, *popped);
    return *popped;
}

HRESULT NamespaceManager::declarePrefix(const WCHAR* prefix, const WCHAR* uri) {
    if (uri == nullptr) return E_INVALIDARG;
    return NoThrow([&] {
        std::string name = ArgToUtf8(prefix);
        if (name == kXmlPrefix || name == "xmlns") return E_INVALIDARG;
        Context& context = Current();
        for (Binding& b : context.bindings) {
            if (b.prefix != name) continue;
            if (!allowOverride_) return E_FAIL;
            context.origin = {};
            b.uri = ArgToUtf8(uri);
            return S_OK;
        }
        context.origin = {};
        context.bindings.push_back({std::move(name), ArgToUtf8(uri)});
        return S_OK;
    });
}

HRESULT NamespaceManager::getDeclaredPrefix(LONG index, WCHAR* prefix, int* count) {
    if (count == nullptr) return E_POINTER;
    if (index < 0) return E_INVALIDARG;
    return NoThrow([&] {
        const std::vector<Binding>& bindings = Current().bindings;
        if (static_cast<size_t>(index) >= bindings.size()) return E_FAIL;
        return CopyCountingCharactersOnly(bindings[static_cast<size_t>(index)].prefix, prefix, count);
    });
}

HRESULT NamespaceManager::getPrefix(const WCHAR* uri, LONG index, WCHAR* prefix, int* count) {
    if (count == nullptr) return E_POINTER;
    if (uri == nullptr || uri[0] == 0 || index < 0) return E_INVALIDARG;
    return NoThrow([&] {
        const std::string wanted = ArgToUtf8(uri);
        LONG remaining = index;
        for (size_t context = depth_; context-- > 0;) {
            const std::vector<Binding>& bindings = contexts_[context].bindings;
            for (size_t i = 0; i < bindings.size(); ++i) {
                const Binding& b = bindings[i];
                if (b.uri != wanted || IsShadowed(context, i)) continue;
                if (remaining-- == 0) return CopyCountingCharactersOnly(b.prefix, prefix, count);
            }
        }
        if (wanted == kXmlNamespace && remaining == 0) return CopyCountingCharactersOnly(kXmlPrefix, prefix, count);
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
        if (name == kXmlPrefix) return CopyCountingCharactersOnly(kXmlNamespace, uri, count);
        const std::string* bound = nullptr;
        std::vector<Binding> scope;
        std::vector<const void*> read;
        if (object) {
            CollectDeclarations(object->node(), true, scope, read);
            for (const Binding& b : scope) {
                if (b.prefix == name) bound = &b.uri;
            }
        } else {
            bound = Find(name);
        }
        if (bound == nullptr || bound->empty()) return E_FAIL;
        return CopyCountingCharactersOnly(*bound, uri, count);
    });
}

}  // namespace msxml
