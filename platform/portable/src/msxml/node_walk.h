// Iterative walks over libxml2 trees: trees built through the API may be far deeper than any
// stack, so nothing here recurses.
#pragma once

#include "boundary_strings.h"

#include <libxml/tree.h>

#include <cstring>
#include <string>

namespace msxml {

// Whether the walks descend into the node's children. Entity references are never entered:
// their children belong to the entity declaration, whose parent is not the reference.
inline bool HasWalkableChildren(xmlNodePtr n) {
    return n->children != nullptr && (n->type == XML_ELEMENT_NODE || n->type == XML_DOCUMENT_NODE ||
                                      n->type == XML_ATTRIBUTE_NODE || n->type == XML_DOCUMENT_FRAG_NODE);
}

// The next node after `n`'s subtree, in document order, without leaving `root`'s subtree.
inline xmlNodePtr NextSkippingChildren(xmlNodePtr n, xmlNodePtr root) {
    while (n != root) {
        if (n->next) return n->next;
        n = n->parent;
        if (n == nullptr) return nullptr;
    }
    return nullptr;
}

// The next node after `n` in document order (preorder), without leaving `root`'s subtree.
inline xmlNodePtr NextInSubtree(xmlNodePtr n, xmlNodePtr root) {
    if (HasWalkableChildren(n)) return n->children;
    return NextSkippingChildren(n, root);
}

// Whether `ancestor` is `node` or one of its ancestors.
inline bool IsInclusiveAncestor(xmlNodePtr ancestor, xmlNodePtr node) {
    for (xmlNodePtr n = node; n != nullptr; n = n->parent) {
        if (n == ancestor) return true;
    }
    return false;
}

// The qualified name as written ("prefix:local" or "local"); appends to `out`.
inline void AppendQualifiedName(xmlNodePtr n, std::string& out) {
    if (n->ns && n->ns->prefix && (n->type == XML_ELEMENT_NODE || n->type == XML_ATTRIBUTE_NODE)) {
        out += Chars(n->ns->prefix);
        out += ':';
    }
    out += Chars(n->name);
}

// Matches element (or attribute) nodes by qualified name as written, "*" for every element.
// The query is converted once; each comparison reads the node's own UTF-8 bytes.
class QualifiedNameMatcher {
public:
    explicit QualifiedNameMatcher(const std::string& qualifiedName) : any_(qualifiedName == "*") {
        const size_t colon = qualifiedName.find(':');
        hasPrefix_ = colon != std::string::npos;
        prefix_ = hasPrefix_ ? qualifiedName.substr(0, colon) : std::string();
        local_ = hasPrefix_ ? qualifiedName.substr(colon + 1) : qualifiedName;
    }

    bool MatchesElement(xmlNodePtr n) const { return n->type == XML_ELEMENT_NODE && (any_ || MatchesName(n)); }

    // The first characters are compared inline: a search passes mostly elements of other
    // names, which then cost no call.
    bool MatchesName(xmlNodePtr n) const {
        if (n->name[0] != static_cast<xmlChar>(local_[0]) || std::strcmp(Chars(n->name), local_.c_str()) != 0) {
            return false;
        }
        const xmlChar* prefix = n->ns ? n->ns->prefix : nullptr;
        if (!hasPrefix_) return prefix == nullptr;
        return prefix != nullptr && prefix[0] == static_cast<xmlChar>(prefix_[0]) &&
               std::strcmp(Chars(prefix), prefix_.c_str()) == 0;
    }

private:
    bool any_;
    bool hasPrefix_ = false;
    std::string prefix_;
    std::string local_;
};

}  // namespace msxml
