// Node objects of the kinds that add nothing to IXMLDOMNode: text, CDATA, comment, processing
// instruction, entity reference, document type.
#pragma once

#include "node_impl.h"

namespace msxml {

class DomPlainNode final : public NodeImpl<IXMLDOMNode> {
public:
    DomPlainNode(xmlNodePtr node, XmlTree* tree) noexcept : NodeImpl(node, tree) {}
};

}  // namespace msxml
