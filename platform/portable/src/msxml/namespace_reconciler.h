// Keeps every namespace reference of a tree resolvable: libxml2 serializes a node's prefix as
// written, so each element's and attribute's namespace must be declared in scope where the node
// stands. Nodes made through the API carry their namespace without a declaration in scope; the
// reconciler declares what is missing, reuses what is there, and drops declarations of its own
// that a new position makes redundant. Memory running out in its bookkeeping throws
// std::bad_alloc, which the interface methods turn into E_OUTOFMEMORY.
#pragma once

#include "xml_tree.h"

#include <libxml/tree.h>

#include <string>
#include <utility>
#include <vector>

namespace msxml {

// Declarations the stand-in made itself, as opposed to those read from the text.
bool IsImplicitDeclaration(xmlNsPtr ns);
// Declares `prefix` (null: the default namespace) for `href` on `element`, marked implicit.
xmlNsPtr DeclareImplicitNamespace(xmlNodePtr element, const xmlChar* href, const xmlChar* prefix);

// After `top` was inserted under its new parent: references resolve in the new scope.
HRESULT ReconcileInserted(XmlTree& tree, xmlNodePtr top);
// After `top` was detached: every reference in it resolves to a declaration inside it.
HRESULT LocalizeDetached(XmlTree& tree, xmlNodePtr top);

// The namespace bound to `prefix` (null: default) in scope at `element`, or null.
xmlNsPtr FindInScope(xmlNodePtr element, const xmlChar* prefix);

// (prefix, href) of the namespaces that the subtree of `top` uses but does not declare itself:
// what a serialization of `top` alone must declare to parse back with the same names.
std::vector<std::pair<const xmlChar*, const xmlChar*>> UndeclaredNamespaces(xmlNodePtr top);

bool SamePrefix(const xmlChar* a, const xmlChar* b);
bool IsXmlPrefix(const xmlChar* prefix);

}  // namespace msxml
