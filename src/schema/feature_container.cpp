#include <schema/feature_container.h>

#include <schema/schema_feature.h>
#include <schema/wrapper_support.h>

namespace qp::feature_container {

using wrapper_support::IsUsable;

SchemaFeature* AddFeature(const SchemaNode& container, const WCHAR* ns, const WCHAR* local) {
    if (ns == nullptr || local == nullptr || !IsUsable(container)) return nullptr;
    ComPtr<IXMLDOMElement> created;
    const HRESULT hr = container.GetContext()->CreateFeature(container.GetElement(), ns, local, created.put());
    return wrapper_support::Wrap<SchemaFeature>(hr, container.GetContext(), created);
}

SchemaFeature* FindFeature(const SchemaNode& container, const WCHAR* ns, const WCHAR* local) {
    if (ns == nullptr || local == nullptr || !IsUsable(container)) return nullptr;
    ComPtr<IXMLDOMElement> found;
    const HRESULT hr = container.GetContext()->FindFeature(container.GetElement(), ns, local, found.put());
    return wrapper_support::Wrap<SchemaFeature>(hr, container.GetContext(), found);
}

bool RemoveFeature(const SchemaNode& container, const WCHAR* ns, const WCHAR* local) {
    if (ns == nullptr || local == nullptr || !IsUsable(container)) return false;
    PrintSchemaContext& context = *container.GetContext();
    ComPtr<IXMLDOMElement> found;
    const HRESULT hr = context.FindFeature(container.GetElement(), ns, local, found.put());
    return wrapper_support::RemoveFound(context, container.GetElement(), hr, found);
}

bool AppendFeature(const SchemaNode& container, const SchemaFeature* feature) {
    if (feature == nullptr || feature->GetElement() == nullptr || !IsUsable(container)) return false;
    return container.GetElement()->appendChild(feature->GetElement(), nullptr) == S_OK;
}

}  // namespace qp::feature_container
