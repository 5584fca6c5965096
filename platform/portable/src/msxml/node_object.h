// The part of every node object that is not an interface: the libxml2 node it stands for and
// the tree that owns that node, through which it also holds the document object that made the
// tree. One node object per node, cached in xmlNode::_private, so that asking twice for a node
// gives the same COM identity.
#pragma once

#include "com_object.h"
#include "xml_tree.h"

#include <platform/platform.h>

#include <libxml/tree.h>

namespace msxml {

class DomDocument;

class NodeObject : public ComObject {
public:
    // Declared here too so that a NodeObject can be queried and held; the one overrider in
    // NodeImpl serves both these and the interface's.
    virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) = 0;
    virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
    virtual ULONG STDMETHODCALLTYPE Release() = 0;
    // Interface `riid` of this object without taking a reference; null when it has none. Lets
    // a reference already held be handed out as is.
    virtual void* Interface(REFIID riid) = 0;

    xmlNodePtr node() const { return node_; }
    XmlTree& tree() const { return *tree_; }
    // The document object this node belongs to (itself, for the document object).
    DomDocument& document() const;

protected:
    // A node object of `tree`: counted among the tree's node objects, which hold the tree and
    // its document.
    NodeObject(xmlNodePtr node, XmlTree* tree) noexcept;
    // The document object: takes a reference on `tree` and becomes its owner.
    struct OwnsTree {};
    NodeObject(xmlNodePtr node, XmlTree* tree, OwnsTree) noexcept;
    ~NodeObject() override;

    // The document object after a load: its node and tree are the new ones.
    void Rebind(xmlNodePtr node, XmlTree* tree) noexcept;

private:
    xmlNodePtr node_;
    XmlTree* tree_;
    bool ownsTree_;
};

// The node object of `node` (made on first request), with a new reference; E_OUTOFMEMORY when
// it cannot be made. `origin` is any node object of the same tree.
HRESULT ObjectForNode(const NodeObject& origin, xmlNodePtr node, NodeObject** out);

// Hands out `node` as interface `iid` in *out; a null node gives S_FALSE and null.
HRESULT ReturnNode(const NodeObject& origin, xmlNodePtr node, REFIID iid, void** out);

// Hands out the reference `object` holds as interface `iid` in *out, without a round trip
// through AddRef and Release; E_NOINTERFACE (and the reference dropped) when it has none.
HRESULT HandOut(Ref<NodeObject> object, REFIID iid, void** out);

// The stand-in's own node object behind an interface pointer, or null for anything else.
NodeObject* ObjectFromInterface(IUnknown* unknown);

}  // namespace msxml
