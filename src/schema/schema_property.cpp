#include <schema/schema_property.h>

#include <common/constants.h>
#include <schema/schema_names.h>
#include <schema/schema_value.h>
#include <schema/wrapper_support.h>

namespace qp {

using namespace schema_names;
using wrapper_support::Wrap;

SchemaProperty::SchemaProperty(PrintSchemaContext* context, IXMLDOMElement* element) noexcept
    : SchemaNode(context, element) {}

SchemaValue* SchemaProperty::AddStringValue(const WCHAR* text) {
    if (text == nullptr) return nullptr;
    ComPtr<IXMLDOMElement> created;
    const HRESULT hr = GetContext()->CreateValue(GetElement(), kXsdNamespace, kStringType, text, created.put());
    return Wrap<SchemaValue>(hr, GetContext(), created);
}

SchemaValue* SchemaProperty::AddQNameValue(const WCHAR* ns, const WCHAR* local) {
    if (local == nullptr) return nullptr;
    Bstr qname;
    if (GetContext()->MakeQName(ns, local, qname.put()) != S_OK) return nullptr;
    ComPtr<IXMLDOMElement> created;
    const HRESULT hr =
        GetContext()->CreateValue(GetElement(), kXsdNamespace, kQNameType, qname.get(), created.put());
    return Wrap<SchemaValue>(hr, GetContext(), created);
}

SchemaValue* SchemaProperty::AddIntegerValue(INT value) {
    ComPtr<IXMLDOMElement> created;
    const HRESULT hr =
        GetContext()->CreateIntegerValue(GetElement(), kXsdNamespace, kIntegerType, value, created.put());
    return Wrap<SchemaValue>(hr, GetContext(), created);
}

SchemaValue* SchemaProperty::GetFirstValue() {
    ComPtr<IXMLDOMElement> found;
    const HRESULT hr = GetContext()->GetFirstValue(GetElement(), found.put());
    return Wrap<SchemaValue>(hr, GetContext(), found);
}

bool SchemaProperty::RemoveFirstValue() {
    ComPtr<IXMLDOMElement> found;
    const HRESULT hr = GetContext()->GetFirstValue(GetElement(), found.put());
    return wrapper_support::RemoveFound(*GetContext(), GetElement(), hr, found);
}

}  // namespace qp
