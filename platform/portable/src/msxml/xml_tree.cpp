#include "xml_tree.h"

#include "libxml_runtime.h"
#include "node_object.h"
#include "node_walk.h"

#include <portable/test_support.h>

#include <atomic>
#include <new>

namespace msxml {

uint64_t XmlTree::NewStamp() noexcept {
    static std::atomic<uint64_t> last{0};
    return last.fetch_add(1, std::memory_order_relaxed) + 1;
}

XmlTree* XmlTree::Adopt(xmlDocPtr doc, bool hasDeclaration) noexcept {
    auto* tree = new (std::nothrow) XmlTree(doc, hasDeclaration);
    if (tree == nullptr) xmlFreeDoc(doc);
    return tree;
}

ULONG XmlTree::Release() noexcept {
    const LONG left = --refs_;
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

void XmlTree::HoldForNodeObjects() noexcept {
    AddRef();
    owner_->AddRef();
}

void XmlTree::UnholdForNodeObjects() noexcept {
    // Releasing the owner may release this tree's last other reference: ours goes last.
    owner_->Release();
    Release();
}

XmlTree::~XmlTree() {
    // Detached nodes first: freeing a node reads its document's dictionary.
    for (xmlNodePtr root : detached_) xmlFreeNode(root);
    if (doc_) xmlFreeDoc(doc_);
    for (xmlNsPtr ns : looseNamespaces_) xmlFreeNs(ns);
}

bool XmlTree::NoteDetached(xmlNodePtr root) noexcept {
    try {
        detached_.insert(root);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

void XmlTree::NoteAttached(xmlNodePtr node) { detached_.erase(node); }

xmlNsPtr XmlTree::NewLooseNamespace(const xmlChar* href, const xmlChar* prefix) {
    xmlNsPtr ns = NewNamespace(nullptr, href, prefix);
    if (ns != nullptr && !KeepNamespace(ns)) {
        xmlFreeNs(ns);
        return nullptr;
    }
    return ns;
}

bool XmlTree::KeepNamespace(xmlNsPtr ns) noexcept {
    try {
        looseNamespaces_.push_back(ns);
    } catch (const std::bad_alloc&) {
        return false;
    }
    ns->next = nullptr;
    return true;
}

bool SubtreeHasObjects(xmlNodePtr root) {
    for (xmlNodePtr n = root; n != nullptr; n = NextInSubtree(n, root)) {
        if (n->_private) return true;
        if (n->type != XML_ELEMENT_NODE) continue;
        for (xmlAttrPtr a = n->properties; a; a = a->next) {
            if (a->_private) return true;
            for (xmlNodePtr t = a->children; t; t = t->next) {
                if (t->_private) return true;
            }
        }
    }
    return false;
}

}  // namespace msxml
