#include "node_object.h"

#include "dom_attribute.h"
#include "dom_document.h"
#include "dom_element.h"
#include "dom_plain_node.h"

#include <typeinfo>
#include <utility>

namespace msxml {

NodeObject::NodeObject(xmlNodePtr node, XmlTree* tree) noexcept : node_(node), tree_(tree), ownsTree_(false) {
    tree_->AddNodeObject();
    node_->_private = this;
}

NodeObject::NodeObject(xmlNodePtr node, XmlTree* tree, OwnsTree) noexcept : node_(node), tree_(tree), ownsTree_(true) {
    tree_->AddRef();
    tree_->SetOwner(this);
    node_->_private = this;
}

NodeObject::~NodeObject() {
    // Before the tree goes: giving it back may free the node.
    if (node_->_private == this) node_->_private = nullptr;
    if (ownsTree_) {
        tree_->Release();
    } else {
        tree_->ReleaseNodeObject();
    }
}

void NodeObject::Rebind(xmlNodePtr node, XmlTree* tree) noexcept {
    if (node_->_private == this) node_->_private = nullptr;
    tree->AddRef();
    tree->SetOwner(this);
    tree_->Release();
    tree_ = tree;
    node_ = node;
    node_->_private = this;
}

DomDocument& NodeObject::document() const { return static_cast<DomDocument&>(*tree_->owner()); }

HRESULT ObjectForNode(const NodeObject& origin, xmlNodePtr node, NodeObject** out) {
    *out = nullptr;
    if (auto* cached = static_cast<NodeObject*>(node->_private)) {
        cached->AddRef();
        *out = cached;
        return S_OK;
    }
    XmlTree* tree = &origin.tree();
    switch (node->type) {
    case XML_ELEMENT_NODE:
        *out = NewObject<DomElement>(node, tree);
        break;
    case XML_ATTRIBUTE_NODE:
        *out = NewObject<DomAttribute>(node, tree);
        break;
    case XML_DOCUMENT_NODE:
        return E_FAIL;
    default:
        *out = NewObject<DomPlainNode>(node, tree);
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
    return HandOut(std::move(object), iid, out);
}

HRESULT HandOut(Ref<NodeObject> object, REFIID iid, void** out) {
    *out = object->Interface(iid);
    if (*out == nullptr) return E_NOINTERFACE;
    static_cast<void>(object.detach());
    return S_OK;
}

namespace {

// The node object behind `unknown` when its dynamic type is `Object`, whose one interface chain
// starts at the object's address; null otherwise. The node classes live in this library only,
// so their type_info is one object here and its address tells them apart; a miss only sends
// the caller to the cross-cast.
template <class Object, class Interface>
NodeObject* As(IUnknown* unknown, const std::type_info& type) {
    if (&type != &typeid(Object)) return nullptr;
    return static_cast<Object*>(static_cast<Interface*>(unknown));
}

}  // namespace

NodeObject* ObjectFromInterface(IUnknown* unknown) {
    if (unknown == nullptr) return nullptr;
    // Every node passed in (the namespace manager's context node above all) costs a full
    // cross-cast otherwise; the known node classes are told apart by their type alone.
    const std::type_info& type = typeid(*unknown);
    if (NodeObject* object = As<DomElement, IXMLDOMElement>(unknown, type)) return object;
    if (NodeObject* object = As<DomAttribute, IXMLDOMAttribute>(unknown, type)) return object;
    if (NodeObject* object = As<DomDocument, IXMLDOMDocument2>(unknown, type)) return object;
    if (NodeObject* object = As<DomPlainNode, IXMLDOMNode>(unknown, type)) return object;
    return dynamic_cast<NodeObject*>(unknown);
}

}  // namespace msxml
