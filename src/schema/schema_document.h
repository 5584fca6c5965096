// The document wrapper: the only wrapper made from outside the layer, and the only object that
// owns a PrintSchemaContext. Its element is the document's root element.
#pragma once

#include <schema/schema_node.h>

namespace qp {

class SchemaFeature;

class SchemaDocumentBase : public SchemaNode {
public:
    // Makes and owns the context for `document` and takes its root element. Whether that worked
    // is told by GetStatus; the operations of a wrapper that is not bound return null or false
    // and touch nothing.
    SchemaDocumentBase(IXMLDOMDocument2* document, IPrintCoreHelper* coreHelper) noexcept;

    // Deletes the context, then releases the root element.
    ~SchemaDocumentBase() override;

    // A new psf:Feature named (ns, local) as the last child of the root element.
    virtual SchemaFeature* AddFeature(const WCHAR* ns, const WCHAR* local);
    // The first psf:Feature named (ns, local) anywhere below the root element, or null.
    virtual SchemaFeature* FindFeature(const WCHAR* ns, const WCHAR* local);
    // Removes the feature FindFeature finds, when it is a child of the root element.
    virtual bool RemoveFeature(const WCHAR* ns, const WCHAR* local);
    // Moves the feature's element to the end of the root element's children.
    virtual bool AppendFeature(const SchemaFeature* feature);

    // S_OK when the wrapper has a bound context and a root element; otherwise E_OUTOFMEMORY (the
    // context could not be allocated), the context's Initialize failure, or E_FAIL when
    // Initialize returned another success code (S_FALSE: the document has no root element).
    HRESULT GetStatus() const noexcept;
};

// The class the conversion entry points create.
class SchemaDocument final : public SchemaDocumentBase {
public:
    SchemaDocument(IXMLDOMDocument2* document, IPrintCoreHelper* coreHelper) noexcept;
    ~SchemaDocument() override;
};

}  // namespace qp
