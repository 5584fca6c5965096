// Attributes on elements: finding them by qualified name, setting and taking them off.
#pragma once

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

// Takes `attribute` off its element; it stays usable, detached.
HRESULT DetachAttribute(XmlTree& tree, xmlAttrPtr attribute);

}  // namespace msxml
