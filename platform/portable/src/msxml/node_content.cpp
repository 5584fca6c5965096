// The text and the XML of node objects.
#include "boundary_strings.h"
#include "libxml_runtime.h"
#include "node_operations.h"
#include "text_content.h"
#include "xml_serializer.h"

#include <libxml/tree.h>
#include <portable/test_support.h>


namespace msxml::node_ops {

HRESULT GetText(const NodeObject& self, BSTR* text) {
    if (text == nullptr) return E_INVALIDARG;
    *text = nullptr;
    return NewBstr(TextContent(self.node()), text);
}

HRESULT PutText(NodeObject& self, BSTR text) {
    const std::string content = ArgToUtf8(text);
    xmlNodePtr n = self.node();
    switch (n->type) {
    case XML_ELEMENT_NODE:
    case XML_ATTRIBUTE_NODE:
        return ReplaceChildrenWithText(self.tree(), n, content);
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
    case XML_COMMENT_NODE:
    case XML_PI_NODE:
        if (PortableFaultNextAllocationFails()) return E_OUTOFMEMORY;
        return ReplaceContent(n, XmlChars(content)) ? S_OK : E_OUTOFMEMORY;
    default:
        return E_FAIL;
    }
}

HRESULT GetXml(const NodeObject& self, BSTR* xml) {
    if (xml == nullptr) return E_INVALIDARG;
    *xml = nullptr;
    std::string text;
    const HRESULT hr = SerializeNode(self.tree(), self.node(), text);
    if (FAILED(hr)) return hr;
    return NewBstr(text, xml);
}

}  // namespace msxml::node_ops
