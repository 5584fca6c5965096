// SchemaOption: the wrapper of a psf:Option element. An option is named by its "name"
// attribute or, lacking one, by the first psf:Value of its psf:OptionName scored property.
#pragma once

#include <schema/schema_node.h>

namespace qp {

class SchemaProperty;

class SchemaOption : public SchemaNode {
public:
    SchemaOption(PrintSchemaContext* context, IXMLDOMElement* element) noexcept;

    // A new psf:ScoredProperty named (ns, local) as the last child; an existing one of that name
    // is not looked for.
    virtual SchemaProperty* AddScoredProperty(const WCHAR* ns, const WCHAR* local);
    // The first psf:ScoredProperty named (ns, local) below the option, or null.
    virtual SchemaProperty* FindScoredProperty(const WCHAR* ns, const WCHAR* local);
    // Removes the scored property FindScoredProperty finds, when it is a direct child.
    virtual bool RemoveScoredProperty(const WCHAR* ns, const WCHAR* local);
    // Copies the option's name text, as stored, into `buffer` (FormatQName's buffer contract).
    virtual bool GetName(WCHAR* buffer, ULONG* chars);
    // Splits the "name" attribute into namespace URI and local name: two new BSTRs the caller
    // frees; false with both null when there is no "name" attribute or it cannot be resolved.
    virtual bool GetNameParts(BSTR* ns, BSTR* local);
    // Sets the "name" attribute to the QName of (ns, local). When the attribute has to be added,
    // a psf:OptionName scored property is removed; ns may be null (bare local name).
    virtual bool SetName(const WCHAR* ns, const WCHAR* local);
};

}  // namespace qp
