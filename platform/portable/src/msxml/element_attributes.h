// Attributes on elements: finding them by qualified name, setting and taking them off.
#pragma once

#include "node_object.h"
#include "xml_tree.h"

#include <platform/platform.h>

#include <libxml/tree.h>

#include <string>

namespace msxml {

// The attribute of `element` whose qualified name as written is `name`, or null.
xmlAttrPtr FindAttribute(xmlNodePtr element, const std::string& name);

// Sets a detached `attribute` of the same tree on `element`, in the place of the attribute of
// the same qualified name, which is handed back detached in *replaced (null when there was
// none). Its namespace is bound on the element when nothing in scope binds it yet; a prefix
// bound there to another namespace, or an attribute already on another element, is E_FAIL.
HRESULT AttachAttribute(XmlTree& tree, xmlNodePtr element, xmlAttrPtr attribute, xmlAttrPtr* replaced);

// setAttributeNode for an interface pointer: `attribute` must be an attribute object of the
// element's tree (E_INVALIDARG for anything else, E_FAIL for another tree); AttachAttribute's
// results. *attached is the attribute's object, borrowed.
HRESULT AttachAttributeObject(NodeObject& element, IUnknown* attribute, NodeObject** attached, xmlAttrPtr* replaced);

// Links `attribute` as the last attribute of `element`.
void AppendAttribute(xmlNodePtr element, xmlAttrPtr attribute);

// Takes `attribute` off its element; it stays usable, detached.
HRESULT DetachAttribute(XmlTree& tree, xmlAttrPtr attribute);

}  // namespace msxml
