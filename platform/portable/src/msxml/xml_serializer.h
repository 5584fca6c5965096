// Writing nodes out as XML text, as get_xml and save show them.
#pragma once

#include "xml_tree.h"

#include <platform/platform.h>

#include <string>

namespace msxml {

// A document: its XML declaration when the loaded text had one (version and standalone, never
// an encoding: the text is handed out as UTF-16), then every top-level node, each followed by a
// line break. An element: its subtree, declaring the namespaces it uses from outside so that
// the text parses alone. An attribute: name="value". Whitespace is written as stored; the text
// is UTF-8. Memory running out in `out` or in libxml2 gives E_OUTOFMEMORY.
HRESULT SerializeNode(const XmlTree& tree, xmlNodePtr node, std::string& out);

// Writes the document to the file at `path` as MSXML's save does: an XML declaration naming
// the encoding the loaded declaration named (UTF-8 when it named none), then the document in
// that encoding (UTF-16 with a byte-order mark). A file that cannot be opened or written gives
// E_ACCESSDENIED, HRESULT_FROM_WIN32 of the system's reason, or E_FAIL; a regular file written
// in part is removed.
HRESULT SaveDocument(const XmlTree& tree, const std::string& path);

}  // namespace msxml
