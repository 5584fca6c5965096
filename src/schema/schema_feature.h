// SchemaFeature: the wrapper of a psf:Feature element.
#pragma once

#include <schema/schema_node.h>

namespace qp {

class SchemaOption;
class SchemaProperty;

class SchemaFeature : public SchemaNode {
public:
    SchemaFeature(PrintSchemaContext* context, IXMLDOMElement* element) noexcept;

    // Replaces the text of the "name" attribute with the QName of (ns, local); false, and nothing
    // changed, when either part is null or the feature has no "name" attribute.
    virtual bool SetName(const WCHAR* ns, const WCHAR* local);

    // A new psf:Feature named (ns, local) as the last child of this feature.
    virtual SchemaFeature* AddFeature(const WCHAR* ns, const WCHAR* local);
    // The first psf:Feature named (ns, local) below this feature, or null.
    virtual SchemaFeature* FindFeature(const WCHAR* ns, const WCHAR* local);
    // Removes the feature FindFeature finds, when it is a direct child of this feature.
    virtual bool RemoveFeature(const WCHAR* ns, const WCHAR* local);
    // Moves the feature's element to the end of this feature's children.
    virtual bool AppendFeature(const SchemaFeature* feature);

    // A new psf:Property named (ns, local) as the last child of this feature.
    virtual SchemaProperty* AddProperty(const WCHAR* ns, const WCHAR* local);
    // A new psf:Option named (nameNs, nameLocal), "constrained" when constrainedLocal is given.
    virtual SchemaOption* AddOption(const WCHAR* nameNs, const WCHAR* nameLocal, const WCHAR* constrainedNs,
                                    const WCHAR* constrainedLocal);
    // The first psf:Option below this feature named (ns, local), by "name" or psf:OptionName.
    virtual SchemaOption* FindOption(const WCHAR* ns, const WCHAR* local);
    // The first psf:Option below this feature, a sub-feature's included, or null.
    virtual SchemaOption* GetFirstOption();
    // Removes the option FindOption finds, when it is a direct child of this feature.
    virtual bool RemoveOption(const WCHAR* ns, const WCHAR* local);
    // Removes the option GetFirstOption finds, when it is a direct child of this feature.
    virtual bool RemoveFirstOption();
};

}  // namespace qp
