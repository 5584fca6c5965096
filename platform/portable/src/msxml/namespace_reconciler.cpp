#include "namespace_reconciler.h"

#include "boundary_strings.h"
#include "libxml_runtime.h"

#include <cstring>
#include <string>

namespace msxml {
namespace {

char g_implicitTag;

bool SameHref(xmlNsPtr a, xmlNsPtr b) { return View(a->href) == View(b->href); }

bool DeclaresNamespace(xmlNsPtr ns) { return ns != nullptr && ns->href != nullptr && ns->href[0] != 0; }

xmlNsPtr OwnDeclaration(xmlNodePtr element, const xmlChar* prefix) {
    for (xmlNsPtr ns = element->nsDef; ns; ns = ns->next) {
        if (SamePrefix(ns->prefix, prefix)) return ns;
    }
    return nullptr;
}

enum class Mode {
    Insert,    // the subtree was inserted: resolve against the new scope, drop redundant declarations
    Localize,  // the subtree was detached: declare inside it what it used from outside
    Collect,   // serialization of the subtree alone: list what it uses from outside, change nothing
};

// One preorder walk of the subtree's elements with a stack of the declarations in scope.
class Reconciler {
public:
    Reconciler(XmlTree* tree, xmlNodePtr top, Mode mode) : tree_(tree), top_(top), mode_(mode) {
        if (mode == Mode::Insert && top->parent && top->parent->type == XML_ELEMENT_NODE) outer_ = top->parent;
    }

    HRESULT Run() {
        if (top_->type != XML_ELEMENT_NODE) return S_OK;
        xmlNodePtr n = top_;
        for (;;) {
            if (n->type == XML_ELEMENT_NODE) {
                const HRESULT hr = Enter(n);
                if (FAILED(hr)) return hr;
                if (n->children) {
                    n = n->children;
                    continue;
                }
                Leave();
            }
            for (;;) {
                if (n == top_) return S_OK;
                if (n->next) {
                    n = n->next;
                    break;
                }
                n = n->parent;
                Leave();
            }
        }
    }

    const std::vector<std::pair<const xmlChar*, xmlNsPtr>>& topAdded() const { return topAdded_; }

private:
    using Binding = std::pair<const xmlChar*, xmlNsPtr>;

    HRESULT Enter(xmlNodePtr element) {
        frames_.push_back(stack_.size());
        TakeOwnDeclarations(element);
        HRESULT hr = FixElement(element);
        for (xmlAttrPtr a = element->properties; a && SUCCEEDED(hr); a = a->next) hr = FixAttribute(element, a);
        return hr;
    }

    void Leave() {
        stack_.resize(frames_.back());
        frames_.pop_back();
    }

    void TakeOwnDeclarations(xmlNodePtr element) {
        xmlNsPtr* link = &element->nsDef;
        while (xmlNsPtr ns = *link) {
            const xmlNsPtr next = ns->next;
            if (mode_ == Mode::Insert && IsImplicitDeclaration(ns) && IsRedundant(ns) && tree_->KeepNamespace(ns)) {
                *link = next;
                continue;
            }
            stack_.emplace_back(ns->prefix, ns);
            link = &ns->next;
        }
    }

    // Bound the same way by the scope around the current element.
    bool IsRedundant(xmlNsPtr ns) {
        xmlNsPtr outer = Lookup(ns->prefix, frames_.back());
        if (ns->prefix == nullptr && !DeclaresNamespace(ns)) return !DeclaresNamespace(outer);
        return outer != nullptr && SameHref(outer, ns);
    }

    HRESULT FixElement(xmlNodePtr element) {
        xmlNsPtr ref = element->ns;
        if (ref == nullptr) {
            // An element in no namespace under a default namespace needs xmlns="".
            if (!DeclaresNamespace(Lookup(nullptr, stack_.size())) || mode_ == Mode::Collect) return S_OK;
            return DeclareOn(element, XmlChars(""), nullptr) ? S_OK : E_OUTOFMEMORY;
        }
        if (IsXmlPrefix(ref->prefix)) return S_OK;
        return Resolve(element, ref, element->ns, false);
    }

    HRESULT FixAttribute(xmlNodePtr element, xmlAttrPtr attribute) {
        xmlNsPtr ref = attribute->ns;
        if (ref == nullptr || IsXmlPrefix(ref->prefix)) return S_OK;
        if (ref->prefix == nullptr) {
            // An unprefixed attribute is in no namespace once written out.
            if (mode_ != Mode::Collect) attribute->ns = nullptr;
            return S_OK;
        }
        return Resolve(element, ref, attribute->ns, true);
    }

    HRESULT Resolve(xmlNodePtr element, xmlNsPtr ref, xmlNsPtr& slot, bool isAttribute) {
        xmlNsPtr bound = Lookup(ref->prefix, stack_.size());
        if (bound && SameHref(bound, ref)) {
            if (mode_ != Mode::Collect) slot = bound;
            return S_OK;
        }
        if (mode_ == Mode::Collect) {
            if (!bound) topAdded_.emplace_back(ref->prefix, ref);
            return S_OK;
        }
        xmlNsPtr declared = nullptr;
        if (!bound && ref->prefix != nullptr && element != top_) {
            declared = DeclareOnTop(ref);
        } else if (bound && isAttribute) {
            declared = DeclareWithFreshPrefix(element, ref->href);
        } else if (OwnDeclaration(element, ref->prefix) != nullptr) {
            declared = DeclareWithFreshPrefix(element, ref->href);
        } else {
            declared = DeclareOn(element, ref->href, ref->prefix);
        }
        if (declared == nullptr) return E_OUTOFMEMORY;
        slot = declared;
        return S_OK;
    }

    xmlNsPtr DeclareOn(xmlNodePtr element, const xmlChar* href, const xmlChar* prefix) {
        xmlNsPtr ns = DeclareImplicitNamespace(element, href, prefix);
        if (ns) stack_.emplace_back(prefix, ns);
        return ns;
    }

    xmlNsPtr DeclareOnTop(xmlNsPtr ref) {
        xmlNsPtr ns = DeclareImplicitNamespace(top_, ref->href, ref->prefix);
        if (ns) topAdded_.emplace_back(ref->prefix, ns);
        return ns;
    }

    // A prefix that the attribute's own may not take here: another one, unused in scope.
    xmlNsPtr DeclareWithFreshPrefix(xmlNodePtr element, const xmlChar* href) {
        for (int i = 0;; ++i) {
            const std::string prefix = "ns" + std::to_string(i);
            if (Lookup(XmlChars(prefix), stack_.size()) == nullptr && !OwnDeclaration(element, XmlChars(prefix))) {
                return DeclareOn(element, href, XmlChars(prefix));
            }
        }
    }

    // The declaration of `prefix` nearest to the current node, looking only below `limit` in
    // the stack, then at what was added to the top, then outside the subtree.
    xmlNsPtr Lookup(const xmlChar* prefix, size_t limit) {
        for (size_t i = limit; i-- > 0;) {
            if (SamePrefix(stack_[i].first, prefix)) return stack_[i].second;
        }
        for (const Binding& b : topAdded_) {
            if (SamePrefix(b.first, prefix)) return b.second;
        }
        return LookupOutside(prefix);
    }

    xmlNsPtr LookupOutside(const xmlChar* prefix) {
        if (outer_ == nullptr) return nullptr;
        for (const Binding& b : outerCache_) {
            if (SamePrefix(b.first, prefix)) return b.second;
        }
        xmlNsPtr found = FindInScope(outer_, prefix);
        outerCache_.emplace_back(prefix, found);
        return found;
    }

    XmlTree* tree_;
    xmlNodePtr top_;
    Mode mode_;
    xmlNodePtr outer_ = nullptr;
    std::vector<Binding> stack_;
    std::vector<size_t> frames_;
    std::vector<Binding> topAdded_;
    std::vector<Binding> outerCache_;
};

}  // namespace

bool SamePrefix(const xmlChar* a, const xmlChar* b) {
    if (a == nullptr || b == nullptr) return a == b;
    return std::strcmp(Chars(a), Chars(b)) == 0;
}

bool IsXmlPrefix(const xmlChar* prefix) { return prefix != nullptr && std::strcmp(Chars(prefix), "xml") == 0; }

bool IsImplicitDeclaration(xmlNsPtr ns) { return ns->_private == &g_implicitTag; }

xmlNsPtr DeclareImplicitNamespace(xmlNodePtr element, const xmlChar* href, const xmlChar* prefix) {
    xmlNsPtr ns = NewNamespace(element, href, prefix);
    if (ns) ns->_private = &g_implicitTag;
    return ns;
}

// Walks up from `element`. An element's own namespace is, by construction, the binding of its
// prefix in scope there, so the walk stops at the first element that uses or declares the
// prefix; for the default namespace, an element in no namespace means none is in scope.
xmlNsPtr FindInScope(xmlNodePtr element, const xmlChar* prefix) {
    for (xmlNodePtr x = element; x && x->type == XML_ELEMENT_NODE; x = x->parent) {
        if (xmlNsPtr own = OwnDeclaration(x, prefix)) return own;
        if (x->ns == nullptr) {
            if (prefix == nullptr) return nullptr;
        } else if (SamePrefix(x->ns->prefix, prefix)) {
            return x->ns;
        }
    }
    return nullptr;
}

HRESULT ReconcileInserted(XmlTree& tree, xmlNodePtr top) { return Reconciler(&tree, top, Mode::Insert).Run(); }

HRESULT LocalizeDetached(XmlTree& tree, xmlNodePtr top) {
    if (top->type != XML_ATTRIBUTE_NODE) return Reconciler(&tree, top, Mode::Localize).Run();
    auto* attribute = reinterpret_cast<xmlAttrPtr>(top);
    if (attribute->ns == nullptr || IsXmlPrefix(attribute->ns->prefix)) return S_OK;
    xmlNsPtr own = tree.NewLooseNamespace(attribute->ns->href, attribute->ns->prefix);
    if (own == nullptr) return E_OUTOFMEMORY;
    attribute->ns = own;
    return S_OK;
}

std::vector<std::pair<const xmlChar*, const xmlChar*>> UndeclaredNamespaces(xmlNodePtr top) {
    Reconciler collector(nullptr, top, Mode::Collect);
    collector.Run();
    std::vector<std::pair<const xmlChar*, const xmlChar*>> found;
    for (const auto& [prefix, ns] : collector.topAdded()) found.emplace_back(prefix, ns->href);
    return found;
}

}  // namespace msxml
