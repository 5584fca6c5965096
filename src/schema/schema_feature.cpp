#include <schema/schema_feature.h>

#include <common/constants.h>
#include <schema/feature_container.h>
#include <schema/schema_names.h>
#include <schema/schema_option.h>
#include <schema/schema_property.h>
#include <schema/wrapper_support.h>

namespace qp {

using wrapper_support::Wrap;

SchemaFeature::SchemaFeature(PrintSchemaContext* context, IXMLDOMElement* element) noexcept
    : SchemaNode(context, element) {}

bool SchemaFeature::SetName(const WCHAR* ns, const WCHAR* local) {
    if (ns == nullptr || local == nullptr) return false;
    Bstr qname;
    if (GetContext()->MakeQName(ns, local, qname.put()) != S_OK) return false;
    ComPtr<IXMLDOMAttribute> name;
    if (GetContext()->GetAttribute(GetElement(), schema_names::kNameAttribute, name.put()) != S_OK) return false;
    return name->put_text(qname.get()) == S_OK;
}

SchemaFeature* SchemaFeature::AddFeature(const WCHAR* ns, const WCHAR* local) {
    return feature_container::AddFeature(*this, ns, local);
}

SchemaFeature* SchemaFeature::FindFeature(const WCHAR* ns, const WCHAR* local) {
    return feature_container::FindFeature(*this, ns, local);
}

bool SchemaFeature::RemoveFeature(const WCHAR* ns, const WCHAR* local) {
    return feature_container::RemoveFeature(*this, ns, local);
}

bool SchemaFeature::AppendFeature(const SchemaFeature* feature) {
    return feature_container::AppendFeature(*this, feature);
}

SchemaProperty* SchemaFeature::AddProperty(const WCHAR* ns, const WCHAR* local) {
    if (ns == nullptr || local == nullptr) return nullptr;
    ComPtr<IXMLDOMElement> created;
    const HRESULT hr = GetContext()->CreateProperty(GetElement(), ns, local, created.put());
    return Wrap<SchemaProperty>(hr, GetContext(), created);
}

SchemaOption* SchemaFeature::AddOption(const WCHAR* nameNs, const WCHAR* nameLocal, const WCHAR* constrainedNs,
                                       const WCHAR* constrainedLocal) {
    if (nameNs == nullptr || nameLocal == nullptr) return nullptr;
    ComPtr<IXMLDOMElement> created;
    const HRESULT hr = GetContext()->CreateOption(GetElement(), nameNs, nameLocal, constrainedNs,
                                                  constrainedLocal, created.put());
    return Wrap<SchemaOption>(hr, GetContext(), created);
}

SchemaOption* SchemaFeature::FindOption(const WCHAR* ns, const WCHAR* local) {
    if (ns == nullptr || local == nullptr) return nullptr;
    ComPtr<IXMLDOMElement> found;
    const HRESULT hr = GetContext()->FindOption(GetElement(), ns, local, found.put());
    return Wrap<SchemaOption>(hr, GetContext(), found);
}

SchemaOption* SchemaFeature::GetFirstOption() {
    ComPtr<IXMLDOMElement> found;
    const HRESULT hr = GetContext()->GetFirstOption(GetElement(), found.put());
    return Wrap<SchemaOption>(hr, GetContext(), found);
}

bool SchemaFeature::RemoveOption(const WCHAR* ns, const WCHAR* local) {
    if (ns == nullptr || local == nullptr) return false;
    ComPtr<IXMLDOMElement> found;
    const HRESULT hr = GetContext()->FindOption(GetElement(), ns, local, found.put());
    return wrapper_support::RemoveFound(*GetContext(), GetElement(), hr, found);
}

bool SchemaFeature::RemoveFirstOption() {
    ComPtr<IXMLDOMElement> found;
    const HRESULT hr = GetContext()->GetFirstOption(GetElement(), found.put());
    return wrapper_support::RemoveFound(*GetContext(), GetElement(), hr, found);
}

}  // namespace qp
