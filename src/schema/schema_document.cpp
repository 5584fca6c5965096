#include <schema/schema_document.h>

#include <schema/feature_container.h>
#include <schema/print_schema_context.h>

#include <new>
#include <utility>

namespace qp {

SchemaDocumentBase::SchemaDocumentBase(IXMLDOMDocument2* document, IPrintCoreHelper* coreHelper) noexcept {
    auto* context = new (std::nothrow) PrintSchemaContext(document, coreHelper);
    if (context == nullptr) return;
    // Null when the context is not bound; GetStatus tells why.
    ComPtr<IXMLDOMElement> root;
    (void)context->GetRootElement(root.put());
    Bind(context, std::move(root));
}

SchemaDocumentBase::~SchemaDocumentBase() {
    // The context goes first; the root element is released by the base destructor after it.
    delete SchemaNode::GetContext();
}

SchemaFeature* SchemaDocumentBase::AddFeature(const WCHAR* ns, const WCHAR* local) {
    return feature_container::AddFeature(*this, ns, local);
}

SchemaFeature* SchemaDocumentBase::FindFeature(const WCHAR* ns, const WCHAR* local) {
    return feature_container::FindFeature(*this, ns, local);
}

bool SchemaDocumentBase::RemoveFeature(const WCHAR* ns, const WCHAR* local) {
    return feature_container::RemoveFeature(*this, ns, local);
}

bool SchemaDocumentBase::AppendFeature(const SchemaFeature* feature) {
    return feature_container::AppendFeature(*this, feature);
}

HRESULT SchemaDocumentBase::GetStatus() const noexcept {
    const PrintSchemaContext* context = GetContext();
    if (context == nullptr) return E_OUTOFMEMORY;
    const HRESULT initialized = context->GetInitializeResult();
    if (FAILED(initialized)) return initialized;
    if (initialized != S_OK || GetElement() == nullptr) return E_FAIL;
    return S_OK;
}

SchemaDocument::SchemaDocument(IXMLDOMDocument2* document, IPrintCoreHelper* coreHelper) noexcept
    : SchemaDocumentBase(document, coreHelper) {}

SchemaDocument::~SchemaDocument() = default;

}  // namespace qp
