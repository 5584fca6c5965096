// One libxml2 document and everything detached from it. The document object holds a reference
// while the tree is its current one; the tree's node objects are counted instead, and while any
// is alive the tree holds a reference on itself and on its owner, the document object that made
// it: one count per node object instead of a reference on each. The last release frees
// the document, every detached subtree and every namespace declaration set aside, so that no
// node object ever points at freed memory.
#pragma once

#include <platform/platform.h>

#include <libxml/tree.h>

#include <cstdint>
#include <unordered_set>
#include <vector>

namespace msxml {

class NodeObject;

class XmlTree {
public:
    // Takes ownership of `doc`; one reference. Null when the allocation is refused.
    static XmlTree* Adopt(xmlDocPtr doc, bool hasDeclaration) noexcept;

    // Plain counts: a tree belongs to one thread at a time, as its document does.
    ULONG AddRef() noexcept { return static_cast<ULONG>(++refs_); }
    ULONG Release() noexcept;

    // The document object whose tree this is (or was, before a load replaced it).
    NodeObject* owner() const { return owner_; }
    void SetOwner(NodeObject* owner) noexcept { owner_ = owner; }

    // A node object of this tree made or gone. Making one needs the tree alive already, through
    // the document object or another node object of the tree, so the first count never races
    // with the last one's release of the tree.
    void AddNodeObject() noexcept {
        if (++nodeObjects_ == 1) HoldForNodeObjects();
    }
    void ReleaseNodeObject() noexcept {
        if (--nodeObjects_ == 0) UnholdForNodeObjects();
    }

    xmlDocPtr doc() const { return doc_; }
    // Whether the loaded text began with an XML declaration, which serialization then keeps.
    bool hasDeclaration() const { return hasDeclaration_; }

    // A structural change (nodes moved, removed, replaced): live lists notice by this count.
    uint64_t version() const { return version_; }
    void Changed() { ++version_; }

    // A stamp, unique in the process, that changes whenever nodes of this tree are freed while
    // it lives: under one stamp an address still denotes the node (and the declarations) it did.
    uint64_t reuseStamp() const { return reuseStamp_; }
    void NodesFreed() noexcept { reuseStamp_ = NewStamp(); }

    // Bookkeeping of detached subtree roots (unlinked nodes and nodes not yet inserted). False,
    // with nothing recorded, when there is no memory for it: record before unlinking.
    bool NoteDetached(xmlNodePtr root) noexcept;
    void NoteAttached(xmlNodePtr node);

    // A namespace that belongs to no element (an attribute's before it is set, a declaration
    // dropped as redundant): kept until the tree goes. Null when libxml2 cannot allocate.
    xmlNsPtr NewLooseNamespace(const xmlChar* href, const xmlChar* prefix);
    // False, with `ns` left as it was, when there is no memory to keep it.
    bool KeepNamespace(xmlNsPtr ns) noexcept;

private:
    XmlTree(xmlDocPtr doc, bool hasDeclaration) noexcept
        : doc_(doc), hasDeclaration_(hasDeclaration), reuseStamp_(NewStamp()) {}
    ~XmlTree();

    static uint64_t NewStamp() noexcept;

    void HoldForNodeObjects() noexcept;
    void UnholdForNodeObjects() noexcept;

    LONG refs_ = 1;
    LONG nodeObjects_ = 0;
    NodeObject* owner_ = nullptr;
    xmlDocPtr doc_;
    bool hasDeclaration_;
    uint64_t version_ = 0;
    uint64_t reuseStamp_;
    std::unordered_set<xmlNodePtr> detached_;
    std::vector<xmlNsPtr> looseNamespaces_;
};

// True when a node object lives on any node of the subtree (attributes included).
bool SubtreeHasObjects(xmlNodePtr root);

}  // namespace msxml
