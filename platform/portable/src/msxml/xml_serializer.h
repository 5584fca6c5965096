// Writing nodes out as XML text (UTF-8), as get_xml and save show them.
#pragma once

#include "xml_tree.h"

#include <platform/platform.h>

#include <string>

namespace msxml {

// A document: its XML declaration when the loaded text had one (version and standalone, never
// an encoding: the text is handed out as UTF-16), then every top-level node, each followed by a
// line break. An element: its subtree, declaring the namespaces it uses from outside so that
// the text parses alone. An attribute: name="value". Whitespace is written as stored.
// Memory running out in `out` throws std::bad_alloc; in libxml2 it gives E_OUTOFMEMORY.
HRESULT SerializeNode(const XmlTree& tree, xmlNodePtr node, std::string& out);

}  // namespace msxml
