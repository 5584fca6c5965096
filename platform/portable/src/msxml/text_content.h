// The text of nodes, read and replaced.
#pragma once

#include "xml_tree.h"

#include <platform/platform.h>

#include <string>

namespace msxml {

// An element's or document's text: the concatenation of every text and CDATA node below it,
// exactly as stored (no trimming); an attribute's value; a leaf's own content.
std::string TextContent(xmlNodePtr node);

// Replaces the children of an element or attribute with one text node holding `text` (none when
// `text` is empty). The old children leave the tree; the tree is unchanged on failure.
HRESULT ReplaceChildrenWithText(XmlTree& tree, xmlNodePtr node, const std::string& text);

// Any VARIANT as text: a BSTR read up to its first NUL, anything else through VariantChangeType.
HRESULT VariantToUtf8(const VARIANT& value, std::string& out);

}  // namespace msxml
