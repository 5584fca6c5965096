// One libxml2 document and everything detached from it. Node objects and the document object
// hold references; the last release frees the document, every detached subtree and every
// namespace declaration set aside, so that no node object ever points at freed memory.
#pragma once

#include <platform/platform.h>

#include <libxml/tree.h>

#include <cstdint>
#include <unordered_set>
#include <vector>

namespace msxml {

class XmlTree {
public:
    // Takes ownership of `doc`; one reference. Null when the allocation is refused.
    static XmlTree* Adopt(xmlDocPtr doc, bool hasDeclaration) noexcept;

    ULONG AddRef() noexcept { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    ULONG Release() noexcept;

    xmlDocPtr doc() const { return doc_; }
    // Whether the loaded text began with an XML declaration, which serialization then keeps.
    bool hasDeclaration() const { return hasDeclaration_; }

    // A structural change (nodes moved, removed, replaced): live lists notice by this count.
    uint64_t version() const { return version_; }
    void Changed() { ++version_; }

    // Bookkeeping of detached subtree roots (unlinked nodes and nodes not yet inserted).
    void NoteDetached(xmlNodePtr root);
    void NoteAttached(xmlNodePtr node);

    // A namespace that belongs to no element (an attribute's before it is set, a declaration
    // dropped as redundant): kept until the tree goes. Null when libxml2 cannot allocate.
    xmlNsPtr NewLooseNamespace(const xmlChar* href, const xmlChar* prefix);
    void KeepNamespace(xmlNsPtr ns);

private:
    XmlTree(xmlDocPtr doc, bool hasDeclaration) noexcept : doc_(doc), hasDeclaration_(hasDeclaration) {}
    ~XmlTree();

    LONG refs_ = 1;
    xmlDocPtr doc_;
    bool hasDeclaration_;
    uint64_t version_ = 0;
    std::unordered_set<xmlNodePtr> detached_;
    std::vector<xmlNsPtr> looseNamespaces_;
};

// True when a node object lives on any node of the subtree (attributes included).
bool SubtreeHasObjects(xmlNodePtr root);

}  // namespace msxml
