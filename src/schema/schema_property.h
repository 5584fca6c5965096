// SchemaProperty: the wrapper of a psf:Property or psf:ScoredProperty element.
#pragma once

#include <schema/schema_node.h>

namespace qp {

class SchemaValue;

class SchemaProperty : public SchemaNode {
public:
    SchemaProperty(PrintSchemaContext* context, IXMLDOMElement* element) noexcept;

    // A new psf:Value of type xsd:string holding `text`, as the last child.
    virtual SchemaValue* AddStringValue(const WCHAR* text);
    // A new psf:Value of type xsd:QName whose text is the QName of (ns, local); ns may be null.
    virtual SchemaValue* AddQNameValue(const WCHAR* ns, const WCHAR* local);
    // A new psf:Value of type xsd:integer holding `value` in decimal.
    virtual SchemaValue* AddIntegerValue(INT value);
    // The first psf:Value below the property, or null.
    virtual SchemaValue* GetFirstValue();
    // Removes the value GetFirstValue finds, when it is a direct child.
    virtual bool RemoveFirstValue();
};

}  // namespace qp
