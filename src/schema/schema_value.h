// SchemaValue: the wrapper of a psf:Value element.
#pragma once

#include <schema/schema_node.h>

namespace qp {

class SchemaValue : public SchemaNode {
public:
    // Note the order: element first, then context.
    SchemaValue(IXMLDOMElement* element, PrintSchemaContext* context) noexcept;

    // Copies the element's text into `buffer` (FormatQName's buffer contract).
    virtual bool GetText(WCHAR* buffer, ULONG* chars);
};

}  // namespace qp
