#include <schema/print_schema_context.h>

#include <common/constants.h>
#include <common/hresult.h>
#include <schema/schema_names.h>

namespace qp {

using namespace schema_names;

namespace {

// Hands the element to an optional out-parameter, or lets the holder release it.
HRESULT HandOut(ComPtr<IXMLDOMElement>& created, IXMLDOMElement** element) {
    if (element != nullptr) *element = created.detach();
    return S_OK;
}

}  // namespace

PrintSchemaContext::PrintSchemaContext(IXMLDOMDocument2* document, IPrintCoreHelper* coreHelper) noexcept
    : DomContext(document, coreHelper) {}

PrintSchemaContext::~PrintSchemaContext() = default;

// A psf element `elementLocal` with "name" = QName of (nameNs, nameLocal), appended to `parent`
// (null: the root element).
HRESULT PrintSchemaContext::CreateNamedElement(IXMLDOMElement* parent, const WCHAR* elementLocal,
                                               const WCHAR* nameNs, const WCHAR* nameLocal,
                                               IXMLDOMElement** element) {
    ComPtr<IXMLDOMElement> root;
    if (parent == nullptr) {
        RETURN_IF_NOT_OK(GetRootElement(root.put()));
        parent = root.get();
    }
    ComPtr<IXMLDOMElement> created;
    RETURN_IF_NOT_OK(CreateElement(parent, kPsfNamespace, elementLocal, created.put()));
    RETURN_IF_NOT_OK(SetQNameAttribute(created.get(), kPsfNamespace, kNameAttribute, nameNs, nameLocal, nullptr));
    return HandOut(created, element);
}

HRESULT PrintSchemaContext::CreateFeature(IXMLDOMElement* parent, const WCHAR* nameNs, const WCHAR* nameLocal,
                                          IXMLDOMElement** element) {
    if (nameLocal == nullptr) return E_INVALIDARG;
    if (element != nullptr) *element = nullptr;
    return CreateNamedElement(parent, kFeature, nameNs, nameLocal, element);
}

HRESULT PrintSchemaContext::CreateOption(IXMLDOMElement* parent, const WCHAR* nameNs, const WCHAR* nameLocal,
                                         const WCHAR* constrainedNs, const WCHAR* constrainedLocal,
                                         IXMLDOMElement** element) {
    if (parent == nullptr) return E_INVALIDARG;
    if (element != nullptr) *element = nullptr;

    ComPtr<IXMLDOMElement> created;
    RETURN_IF_NOT_OK(CreateElement(parent, kPsfNamespace, kOption, created.put()));
    if (nameLocal != nullptr) {
        RETURN_IF_NOT_OK(
            SetQNameAttribute(created.get(), kPsfNamespace, kNameAttribute, nameNs, nameLocal, nullptr));
    }
    if (constrainedLocal != nullptr) {
        RETURN_IF_NOT_OK(SetQNameAttribute(created.get(), kPsfNamespace, kConstrainedAttribute, constrainedNs,
                                           constrainedLocal, nullptr));
    }
    return HandOut(created, element);
}

HRESULT PrintSchemaContext::CreateProperty(IXMLDOMElement* parent, const WCHAR* nameNs, const WCHAR* nameLocal,
                                           IXMLDOMElement** element) {
    if (nameLocal == nullptr) return E_INVALIDARG;
    if (element != nullptr) *element = nullptr;
    return CreateNamedElement(parent, kProperty, nameNs, nameLocal, element);
}

HRESULT PrintSchemaContext::CreateScoredProperty(IXMLDOMElement* parent, const WCHAR* nameNs,
                                                 const WCHAR* nameLocal, IXMLDOMElement** element) {
    if (parent == nullptr || nameNs == nullptr || nameLocal == nullptr) return E_INVALIDARG;
    if (element != nullptr) *element = nullptr;
    return CreateNamedElement(parent, kScoredProperty, nameNs, nameLocal, element);
}

HRESULT PrintSchemaContext::CreateIntegerValue(IXMLDOMElement* parent, const WCHAR* typeNs,
                                               const WCHAR* typeLocal, INT value, IXMLDOMElement** element) {
    if (parent == nullptr) return E_INVALIDARG;
    if (element != nullptr) *element = nullptr;
    if (GetInitializeResult() != S_OK) return E_UNEXPECTED;

    Variant number;
    number.get().vt = VT_INT;
    number.get().intVal = value;
    Variant text;
    RETURN_IF_FAILED(VariantChangeType(text.put(), &number.get(), VARIANT_NOUSEROVERRIDE, VT_BSTR));
    return CreateValue(parent, typeNs, typeLocal, text.get().bstrVal, element);
}

HRESULT PrintSchemaContext::CreateValue(IXMLDOMElement* parent, const WCHAR* typeNs, const WCHAR* typeLocal,
                                        const WCHAR* text, IXMLDOMElement** element) {
    if (parent == nullptr || text == nullptr) return E_INVALIDARG;
    if (element != nullptr) *element = nullptr;

    ComPtr<IXMLDOMElement> created;
    RETURN_IF_NOT_OK(CreateElement(parent, kPsfNamespace, kValue, created.put()));
    if (typeNs != nullptr && typeLocal != nullptr) {
        RETURN_IF_NOT_OK(SetValueType(created.get(), typeNs, typeLocal));
    }
    Bstr content = Bstr::Copy(text);
    if (!content) return E_OUTOFMEMORY;
    RETURN_IF_NOT_OK(created->put_text(content.get()));
    return HandOut(created, element);
}

// xsi:type, named with the document's own prefix for xsi, valued with the QName of the type.
HRESULT PrintSchemaContext::SetValueType(IXMLDOMElement* value, const WCHAR* typeNs, const WCHAR* typeLocal) {
    Bstr attributeName;
    RETURN_IF_NOT_OK(MakeQName(kXsiNamespace, kTypeAttribute, attributeName.put()));
    return SetQNameAttribute(value, kXsiNamespace, attributeName.get(), typeNs, typeLocal, nullptr);
}

// The first psf `elementLocal` below `parent` (null: the root element) whose "name" attribute is
// exactly the QName of (nameNs, nameLocal).
HRESULT PrintSchemaContext::FindNamedElement(IXMLDOMElement* parent, const WCHAR* elementLocal,
                                             const WCHAR* nameNs, const WCHAR* nameLocal,
                                             IXMLDOMElement** element) {
    Bstr name;
    RETURN_IF_NOT_OK(MakeQName(nameNs, nameLocal, name.put()));
    ComPtr<IXMLDOMNodeList> list;
    RETURN_IF_NOT_OK(GetElementsByTagName(parent, kPsfNamespace, elementLocal, list.put()));
    return FindElementByAttribute(list.get(), kNameAttribute, name.get(), element);
}

HRESULT PrintSchemaContext::FindFeature(IXMLDOMElement* parent, const WCHAR* nameNs, const WCHAR* nameLocal,
                                        IXMLDOMElement** element) {
    if (nameNs == nullptr || nameLocal == nullptr || element == nullptr) return E_INVALIDARG;
    *element = nullptr;
    return FindNamedElement(parent, kFeature, nameNs, nameLocal, element);
}

HRESULT PrintSchemaContext::FindProperty(IXMLDOMElement* parent, const WCHAR* nameNs, const WCHAR* nameLocal,
                                         IXMLDOMElement** element) {
    if (nameNs == nullptr || nameLocal == nullptr || element == nullptr) return E_INVALIDARG;
    *element = nullptr;
    return FindNamedElement(parent, kProperty, nameNs, nameLocal, element);
}

HRESULT PrintSchemaContext::FindScoredProperty(IXMLDOMElement* parent, const WCHAR* nameNs,
                                               const WCHAR* nameLocal, IXMLDOMElement** element) {
    if (parent == nullptr || nameNs == nullptr || nameLocal == nullptr || element == nullptr) return E_INVALIDARG;
    *element = nullptr;
    return FindNamedElement(parent, kScoredProperty, nameNs, nameLocal, element);
}

HRESULT PrintSchemaContext::FindOption(IXMLDOMElement* parent, const WCHAR* nameNs, const WCHAR* nameLocal,
                                       IXMLDOMElement** element) {
    if (parent == nullptr || nameNs == nullptr || nameLocal == nullptr || element == nullptr) return E_INVALIDARG;
    *element = nullptr;

    Bstr name;
    RETURN_IF_NOT_OK(MakeQName(nameNs, nameLocal, name.put()));
    ComPtr<IXMLDOMNodeList> options;
    RETURN_IF_NOT_OK(GetElementsByTagName(parent, kPsfNamespace, kOption, options.put()));
    const HRESULT byAttribute = FindElementByAttribute(options.get(), kNameAttribute, name.get(), element);
    if (byAttribute != S_FALSE) return byAttribute;
    RETURN_IF_NOT_OK(options->reset());
    return FindOptionByOptionName(options.get(), name.get(), element);
}

// The second walk: options named by the first value of their psf:OptionName scored property.
// It ends, with that step's result, at the first option whose name cannot be read this way.
HRESULT PrintSchemaContext::FindOptionByOptionName(IXMLDOMNodeList* options, const WCHAR* name,
                                                   IXMLDOMElement** element) {
    ComPtr<IXMLDOMNode> node;
    while (options->nextNode(node.put()) == S_OK && node) {
        ComPtr<IXMLDOMElement> option;
        RETURN_IF_NOT_OK(node.QueryTo(IID_IXMLDOMElement, option));
        bool matches = false;
        RETURN_IF_NOT_OK(OptionNameMatches(option.get(), name, matches));
        if (matches) {
            *element = option.detach();
            return S_OK;
        }
    }
    return S_FALSE;
}

HRESULT PrintSchemaContext::OptionNameMatches(IXMLDOMElement* option, const WCHAR* name, bool& matches) {
    ComPtr<IXMLDOMElement> optionName;
    RETURN_IF_NOT_OK(FindScoredProperty(option, kPsfNamespace, kOptionName, optionName.put()));
    ComPtr<IXMLDOMElement> value;
    RETURN_IF_NOT_OK(GetFirstValue(optionName.get(), value.put()));
    Bstr text;
    RETURN_IF_NOT_OK(value->get_text(text.put()));
    matches = WStrEqual(text ? text.get() : W(""), name);
    return S_OK;
}

HRESULT PrintSchemaContext::GetFirstOption(IXMLDOMElement* parent, IXMLDOMElement** element) {
    return GetElementAt(parent, kPsfNamespace, kOption, 0, element);
}

HRESULT PrintSchemaContext::GetFirstValue(IXMLDOMElement* parent, IXMLDOMElement** element) {
    return GetElementAt(parent, kPsfNamespace, kValue, 0, element);
}

}  // namespace qp
