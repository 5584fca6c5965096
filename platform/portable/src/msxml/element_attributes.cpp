#include "element_attributes.h"

#include "boundary_strings.h"
#include "namespace_reconciler.h"
#include "node_walk.h"

namespace msxml {
namespace {

xmlNodePtr AsNode(xmlAttrPtr attribute) { return reinterpret_cast<xmlNodePtr>(attribute); }

HRESULT BindNamespace(xmlNodePtr element, xmlAttrPtr attribute) {
    xmlNsPtr ns = attribute->ns;
    if (ns == nullptr || ns->prefix == nullptr || IsXmlPrefix(ns->prefix)) return S_OK;
    if (xmlNsPtr bound = FindInScope(element, ns->prefix)) {
        if (View(bound->href) != View(ns->href)) return E_FAIL;
        attribute->ns = bound;
        return S_OK;
    }
    xmlNsPtr declared = DeclareImplicitNamespace(element, ns->href, ns->prefix);
    if (declared == nullptr) return E_OUTOFMEMORY;
    attribute->ns = declared;
    return S_OK;
}

void LinkInPlaceOf(xmlNodePtr element, xmlAttrPtr attribute, xmlAttrPtr old) {
    attribute->prev = old->prev;
    attribute->next = old->next;
    if (old->prev) {
        old->prev->next = attribute;
    } else {
        element->properties = attribute;
    }
    if (old->next) old->next->prev = attribute;
    old->parent = nullptr;
    old->prev = old->next = nullptr;
}

}  // namespace

xmlAttrPtr FindAttribute(xmlNodePtr element, const std::string& name) {
    const QualifiedNameMatcher matcher(name);
    for (xmlAttrPtr a = element->properties; a; a = a->next) {
        if (matcher.MatchesName(AsNode(a))) return a;
    }
    return nullptr;
}

HRESULT AttachAttribute(XmlTree& tree, xmlNodePtr element, xmlAttrPtr attribute, xmlAttrPtr* replaced) {
    *replaced = nullptr;
    if (attribute->parent == element) return S_OK;
    if (attribute->parent != nullptr) return E_FAIL;
    const HRESULT bound = BindNamespace(element, attribute);
    if (FAILED(bound)) return bound;
    std::string name;
    AppendQualifiedName(AsNode(attribute), name);
    xmlAttrPtr old = FindAttribute(element, name);
    if (old != nullptr && !tree.NoteDetached(AsNode(old))) return E_OUTOFMEMORY;
    if (old) {
        LinkInPlaceOf(element, attribute, old);
    } else {
        AppendAttribute(element, attribute);
    }
    attribute->parent = element;
    tree.NoteAttached(AsNode(attribute));
    tree.Changed();
    if (old == nullptr) return S_OK;
    *replaced = old;
    return LocalizeDetached(tree, AsNode(old));
}

HRESULT AttachAttributeObject(NodeObject& element, IUnknown* attribute, NodeObject** attached, xmlAttrPtr* replaced) {
    *attached = nullptr;
    *replaced = nullptr;
    NodeObject* object = ObjectFromInterface(attribute);
    if (object == nullptr || object->node()->type != XML_ATTRIBUTE_NODE) return E_INVALIDARG;
    if (&object->tree() != &element.tree()) return E_FAIL;
    *attached = object;
    return AttachAttribute(element.tree(), element.node(), reinterpret_cast<xmlAttrPtr>(object->node()), replaced);
}

void AppendAttribute(xmlNodePtr element, xmlAttrPtr attribute) {
    xmlAttrPtr last = element->properties;
    while (last && last->next) last = last->next;
    attribute->parent = element;
    attribute->prev = last;
    attribute->next = nullptr;
    if (last) {
        last->next = attribute;
    } else {
        element->properties = attribute;
    }
}

HRESULT DetachAttribute(XmlTree& tree, xmlAttrPtr attribute) {
    if (!tree.NoteDetached(AsNode(attribute))) return E_OUTOFMEMORY;
    xmlUnlinkNode(AsNode(attribute));
    tree.Changed();
    return LocalizeDetached(tree, AsNode(attribute));
}

}  // namespace msxml
