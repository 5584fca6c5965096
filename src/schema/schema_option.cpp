#include <schema/schema_option.h>

#include <common/constants.h>
#include <schema/caller_buffer.h>
#include <schema/schema_names.h>
#include <schema/schema_property.h>
#include <schema/schema_value.h>
#include <schema/wrapper_support.h>

#include <memory>

namespace qp {

using schema_names::kNameAttribute;
using schema_names::kOptionName;

SchemaOption::SchemaOption(PrintSchemaContext* context, IXMLDOMElement* element) noexcept
    : SchemaNode(context, element) {}

SchemaProperty* SchemaOption::AddScoredProperty(const WCHAR* ns, const WCHAR* local) {
    if (ns == nullptr || local == nullptr) return nullptr;
    ComPtr<IXMLDOMElement> created;
    const HRESULT hr = GetContext()->CreateScoredProperty(GetElement(), ns, local, created.put());
    return wrapper_support::Wrap<SchemaProperty>(hr, GetContext(), created);
}

SchemaProperty* SchemaOption::FindScoredProperty(const WCHAR* ns, const WCHAR* local) {
    if (ns == nullptr || local == nullptr) return nullptr;
    ComPtr<IXMLDOMElement> found;
    const HRESULT hr = GetContext()->FindScoredProperty(GetElement(), ns, local, found.put());
    return wrapper_support::Wrap<SchemaProperty>(hr, GetContext(), found);
}

bool SchemaOption::RemoveScoredProperty(const WCHAR* ns, const WCHAR* local) {
    if (ns == nullptr || local == nullptr) return false;
    ComPtr<IXMLDOMElement> found;
    const HRESULT hr = GetContext()->FindScoredProperty(GetElement(), ns, local, found.put());
    return wrapper_support::RemoveFound(*GetContext(), GetElement(), hr, found);
}

bool SchemaOption::GetName(WCHAR* buffer, ULONG* chars) {
    ComPtr<IXMLDOMAttribute> name;
    if (GetContext()->GetAttribute(GetElement(), kNameAttribute, name.put()) == S_OK) {
        Bstr text;
        if (FAILED(name->get_text(text.put()))) return false;
        return CopyCountingTerminator(text.get(), buffer, chars);
    }
    // No "name" attribute: the first value of the psf:OptionName scored property names the option.
    std::unique_ptr<SchemaProperty> optionName(FindScoredProperty(kPsfNamespace, kOptionName));
    if (!optionName) return false;
    std::unique_ptr<SchemaValue> value(optionName->GetFirstValue());
    return value && value->GetText(buffer, chars);
}

bool SchemaOption::GetNameParts(BSTR* ns, BSTR* local) {
    if (ns == nullptr || local == nullptr) return false;
    *ns = nullptr;
    *local = nullptr;
    ComPtr<IXMLDOMAttribute> name;
    if (GetContext()->GetAttribute(GetElement(), kNameAttribute, name.put()) != S_OK) return false;
    Bstr text;
    if (FAILED(name->get_text(text.put()))) return false;
    const WCHAR* qname = text ? text.get() : W("");

    Bstr uri;
    Bstr localName;
    if (GetContext()->GetNamespaceURI(GetElement(), qname, uri.put()) != S_OK) return false;
    if (GetContext()->GetLocalName(qname, localName.put()) != S_OK) return false;
    *ns = uri.detach();
    *local = localName.detach();
    return true;
}

bool SchemaOption::SetName(const WCHAR* ns, const WCHAR* local) {
    ComPtr<IXMLDOMAttribute> name;
    if (GetContext()->GetAttribute(GetElement(), kNameAttribute, name.put()) == S_OK) {
        Bstr qname;
        if (GetContext()->MakeQName(ns, local, qname.put()) != S_OK) return false;
        return name->put_text(qname.get()) == S_OK;
    }
    if (GetContext()->SetQNameAttribute(GetElement(), kPsfNamespace, kNameAttribute, ns, local, name.put()) != S_OK) {
        return false;
    }
    // The attribute now names the option; a psf:OptionName would contradict it.
    (void)RemoveScoredProperty(kPsfNamespace, kOptionName);
    return true;
}

}  // namespace qp
