// Making new, detached libxml2 nodes for createNode and its narrower siblings. Every node made
// here is recorded as detached in its tree, which frees it unless it is inserted somewhere.
#pragma once

#include "xml_tree.h"

#include <platform/platform.h>

#include <string>

namespace msxml {

// A qualified name split at its colon; valid only when both parts are XML names without a colon.
struct QualifiedName {
    std::string prefix;  // empty: none
    std::string local;
    bool valid = false;
};
QualifiedName SplitQualifiedName(const std::string& name);

// An element named `name` ("prefix:local" or "local") in namespace `uri` (empty: none). With a
// URI it carries a declaration of its own, dropped again where its parent already binds the
// prefix; an unprefixed name with a URI puts it in that default namespace. A prefix without a
// URI, and names that are not qualified names, are E_INVALIDARG.
HRESULT NewDetachedElement(XmlTree& tree, const std::string& name, const std::string& uri, xmlNodePtr* out);

// An attribute named `name` in namespace `uri`. A prefixed attribute keeps its namespace; an
// unprefixed one is written as a plain attribute and so is in no namespace. "xml:" names are in
// the XML namespace; namespace declarations ("xmlns", "xmlns:p") are E_INVALIDARG.
HRESULT NewDetachedAttribute(XmlTree& tree, const std::string& name, const std::string& uri, xmlNodePtr* out);

// A text, CDATA or comment node holding `text`, or a processing instruction named `name`.
HRESULT NewDetachedLeaf(XmlTree& tree, DOMNodeType type, const std::string& name, const std::string& text,
                        xmlNodePtr* out);

// A copy of `source` (and, when `deep`, of its subtree) in the same tree, detached.
HRESULT CopyDetached(XmlTree& tree, xmlNodePtr source, bool deep, xmlNodePtr* out);

}  // namespace msxml
