#include "node_object.h"

#include "dom_attribute.h"
#include "dom_document.h"
#include "dom_element.h"
#include "dom_plain_node.h"

namespace msxml {

NodeObject::NodeObject(xmlNodePtr node, XmlTree* tree, NodeObject* document) noexcept
    : node_(node), tree_(tree), document_(document) {
    tree_->AddRef();
    if (document_) document_->AddRef();
    node_->_private = this;
}

NodeObject::~NodeObject() {
    if (node_->_private == this) node_->_private = nullptr;
    tree_->Release();
    if (document_) document_->Release();
}

void NodeObject::Rebind(xmlNodePtr node, XmlTree* tree) noexcept {
    if (node_->_private == this) node_->_private = nullptr;
    tree->AddRef();
    tree_->Release();
    tree_ = tree;
    node_ = node;
    node_->_private = this;
}

DomDocument& NodeObject::document() const {
    return static_cast<DomDocument&>(document_ ? *document_ : const_cast<NodeObject&>(*this));
}

HRESULT ObjectForNode(const NodeObject& origin, xmlNodePtr node, NodeObject** out) {
    *out = nullptr;
    if (auto* cached = static_cast<NodeObject*>(node->_private)) {
        cached->AddRef();
        *out = cached;
        return S_OK;
    }
    NodeObject* document = &origin.document();
    XmlTree* tree = &origin.tree();
    switch (node->type) {
    case XML_ELEMENT_NODE:
        *out = NewObject<DomElement>(node, tree, document);
        break;
    case XML_ATTRIBUTE_NODE:
        *out = NewObject<DomAttribute>(node, tree, document);
        break;
    case XML_DOCUMENT_NODE:
        return E_FAIL;
    default:
        *out = NewObject<DomPlainNode>(node, tree, document);
        break;
    }
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT ReturnNode(const NodeObject& origin, xmlNodePtr node, REFIID iid, void** out) {
    *out = nullptr;
    // A tree that a later load replaced keeps its document node without an object: its root
    // then stands alone.
    if (node == nullptr || (node->type == XML_DOCUMENT_NODE && node->_private == nullptr)) return S_FALSE;
    Ref<NodeObject> object;
    const HRESULT hr = ObjectForNode(origin, node, object.put());
    if (FAILED(hr)) return hr;
    return object->QueryInterface(iid, out);
}

NodeObject* ObjectFromInterface(IUnknown* unknown) { return unknown ? dynamic_cast<NodeObject*>(unknown) : nullptr; }

}  // namespace msxml
