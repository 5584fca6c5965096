// Moving nodes: insertion, removal, replacement, cloning.
#include "namespace_reconciler.h"
#include "node_factory.h"
#include "node_operations.h"
#include "node_walk.h"

namespace msxml::node_ops {
namespace {

bool HasOtherElementChild(xmlNodePtr parent, xmlNodePtr except1, xmlNodePtr except2) {
    for (xmlNodePtr c = parent->children; c; c = c->next) {
        if (c->type == XML_ELEMENT_NODE && c != except1 && c != except2) return true;
    }
    return false;
}

// Whether `node` may become a child of `parent` (in place of `replacing`, if given).
HRESULT CheckInsertable(xmlNodePtr parent, xmlNodePtr node, xmlNodePtr replacing) {
    switch (node->type) {
    case XML_ELEMENT_NODE:
    case XML_COMMENT_NODE:
    case XML_PI_NODE:
        break;
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
    case XML_ENTITY_REF_NODE:
        if (parent->type == XML_DOCUMENT_NODE) return E_FAIL;
        break;
    default:
        return E_FAIL;
    }
    if (parent->type == XML_DOCUMENT_NODE) {
        if (node->type == XML_ELEMENT_NODE && HasOtherElementChild(parent, node, replacing)) return E_FAIL;
    } else if (parent->type != XML_ELEMENT_NODE) {
        return E_FAIL;
    }
    // A node without children cannot be an ancestor of anything, which spares the walk up.
    if (node == parent || (node->children && IsInclusiveAncestor(node, parent))) return E_FAIL;
    return S_OK;
}

void Link(xmlNodePtr parent, xmlNodePtr node, xmlNodePtr before) {
    node->parent = parent;
    node->next = before;
    node->prev = before ? before->prev : parent->last;
    if (node->prev) {
        node->prev->next = node;
    } else {
        parent->children = node;
    }
    if (before) {
        before->prev = node;
    } else {
        parent->last = node;
    }
}

// Our own node object of the same tree behind `unknown`, or the reason it cannot be used.
HRESULT SameTreeObject(const NodeObject& self, IUnknown* unknown, NodeObject** out) {
    *out = ObjectFromInterface(unknown);
    if (*out == nullptr) return E_INVALIDARG;
    return &(*out)->tree() == &self.tree() ? S_OK : E_FAIL;
}

HRESULT HandOut(NodeObject& node, IXMLDOMNode** out) {
    if (out == nullptr) return S_OK;
    return node.QueryInterface(IID_IXMLDOMNode, reinterpret_cast<void**>(out));
}

HRESULT Insert(NodeObject& self, IXMLDOMNode* newChild, xmlNodePtr before, xmlNodePtr replacing,
               IXMLDOMNode** out) {
    if (newChild == nullptr) return E_INVALIDARG;
    NodeObject* child = nullptr;
    const HRESULT found = SameTreeObject(self, newChild, &child);
    if (FAILED(found)) return found;
    xmlNodePtr parent = self.node();
    xmlNodePtr node = child->node();
    const HRESULT allowed = CheckInsertable(parent, node, replacing);
    if (FAILED(allowed)) return allowed;
    if (node != before) {
        if (node->parent) {
            xmlUnlinkNode(node);
        } else {
            self.tree().NoteAttached(node);
        }
        Link(parent, node, before);
        self.tree().Changed();
        const HRESULT reconciled = ReconcileInserted(self.tree(), node);
        if (FAILED(reconciled)) return reconciled;
    }
    return HandOut(*child, out);
}

HRESULT DirectChild(const NodeObject& self, IUnknown* child, NodeObject** out) {
    if (child == nullptr) return E_INVALIDARG;
    *out = ObjectFromInterface(child);
    if (*out == nullptr) return E_INVALIDARG;
    xmlNodePtr node = (*out)->node();
    if (node->parent != self.node() || node->type == XML_ATTRIBUTE_NODE) return E_INVALIDARG;
    return S_OK;
}

HRESULT Detach(NodeObject& self, NodeObject& child) {
    xmlNodePtr node = child.node();
    if (!self.tree().NoteDetached(node)) return E_OUTOFMEMORY;
    xmlUnlinkNode(node);
    self.tree().Changed();
    return LocalizeDetached(self.tree(), node);
}

}  // namespace

HRESULT AppendChild(NodeObject& self, IXMLDOMNode* newChild, IXMLDOMNode** out) {
    if (out) *out = nullptr;
    return Insert(self, newChild, nullptr, nullptr, out);
}

HRESULT InsertBefore(NodeObject& self, IXMLDOMNode* newChild, const VARIANT& refChild, IXMLDOMNode** out) {
    if (out) *out = nullptr;
    IUnknown* reference = nullptr;
    if (refChild.vt == VT_UNKNOWN || refChild.vt == VT_DISPATCH) {
        reference = refChild.punkVal;
    } else if (refChild.vt != VT_EMPTY && refChild.vt != VT_NULL) {
        return E_INVALIDARG;
    }
    xmlNodePtr before = nullptr;
    if (reference) {
        NodeObject* child = nullptr;
        const HRESULT isChild = DirectChild(self, reference, &child);
        if (FAILED(isChild)) return isChild;
        before = child->node();
    }
    return Insert(self, newChild, before, nullptr, out);
}

HRESULT ReplaceChild(NodeObject& self, IXMLDOMNode* newChild, IXMLDOMNode* oldChild, IXMLDOMNode** out) {
    if (out) *out = nullptr;
    NodeObject* old = nullptr;
    const HRESULT isChild = DirectChild(self, oldChild, &old);
    if (FAILED(isChild)) return isChild;
    if (newChild == nullptr) return E_INVALIDARG;
    const HRESULT inserted = Insert(self, newChild, old->node(), old->node(), nullptr);
    if (FAILED(inserted)) return inserted;
    if (ObjectFromInterface(newChild) != old) {
        const HRESULT detached = Detach(self, *old);
        if (FAILED(detached)) return detached;
    }
    return HandOut(*old, out);
}

HRESULT RemoveChild(NodeObject& self, IXMLDOMNode* child, IXMLDOMNode** out) {
    if (out) *out = nullptr;
    NodeObject* removed = nullptr;
    const HRESULT isChild = DirectChild(self, child, &removed);
    if (FAILED(isChild)) return isChild;
    const HRESULT detached = Detach(self, *removed);
    if (FAILED(detached)) return detached;
    return HandOut(*removed, out);
}

HRESULT CloneNode(NodeObject& self, VARIANT_BOOL deep, IXMLDOMNode** clone) {
    if (clone == nullptr) return E_INVALIDARG;
    *clone = nullptr;
    if (self.node()->type == XML_DOCUMENT_NODE || self.node()->type == XML_DTD_NODE) return E_NOTIMPL;
    xmlNodePtr copy = nullptr;
    const HRESULT hr = CopyDetached(self.tree(), self.node(), deep != VARIANT_FALSE, &copy);
    if (FAILED(hr)) return hr;
    return ReturnNode(self, copy, IID_IXMLDOMNode, reinterpret_cast<void**>(clone));
}

}  // namespace msxml::node_ops
