// PrintSchemaContext: the Print Schema vocabulary over a DomContext. Builds psf:Feature,
// psf:Option, psf:Property, psf:ScoredProperty and psf:Value elements with their "name",
// "constrained" and xsi:type attributes, and finds them by their (namespace, local name) names.
// Every name is written and looked up as the document's own QName; no prefix is ever assumed.
#pragma once

#include <schema/dom_context.h>

namespace qp {

class PrintSchemaContext : public DomContext {
public:
    PrintSchemaContext(IXMLDOMDocument2* document, IPrintCoreHelper* coreHelper) noexcept;
    ~PrintSchemaContext() override;

    // Builders: append the new element as the last child of the parent, then set its attributes
    // and text; a failure after the append leaves the incomplete element in the document. The
    // optional out element receives a new reference only on S_OK (it is cleared first).

    // psf:Feature named (nameNs, nameLocal) under `parent` (null: the root element).
    virtual HRESULT CreateFeature(IXMLDOMElement* parent, const WCHAR* nameNs, const WCHAR* nameLocal,
                                  IXMLDOMElement** element);
    // psf:Option with "name" when nameLocal is given and "constrained" when constrainedLocal is.
    virtual HRESULT CreateOption(IXMLDOMElement* parent, const WCHAR* nameNs, const WCHAR* nameLocal,
                                 const WCHAR* constrainedNs, const WCHAR* constrainedLocal,
                                 IXMLDOMElement** element);
    // psf:Property named (nameNs, nameLocal) under `parent` (null: the root element).
    virtual HRESULT CreateProperty(IXMLDOMElement* parent, const WCHAR* nameNs, const WCHAR* nameLocal,
                                   IXMLDOMElement** element);
    // psf:ScoredProperty named (nameNs, nameLocal); parent and both name parts required.
    virtual HRESULT CreateScoredProperty(IXMLDOMElement* parent, const WCHAR* nameNs, const WCHAR* nameLocal,
                                         IXMLDOMElement** element);
    // psf:Value holding the decimal text of `value`, typed as CreateValue says.
    virtual HRESULT CreateIntegerValue(IXMLDOMElement* parent, const WCHAR* typeNs, const WCHAR* typeLocal,
                                       INT value, IXMLDOMElement** element);
    // psf:Value holding `text`, with xsi:type = QName of (typeNs, typeLocal) when both are given.
    virtual HRESULT CreateValue(IXMLDOMElement* parent, const WCHAR* typeNs, const WCHAR* typeLocal,
                                const WCHAR* text, IXMLDOMElement** element);

    // Finders: S_OK and a new reference to the first match below the parent in document order
    // (descendants, not only children), S_FALSE and null when there is none. The out element is
    // cleared once the arguments have been checked and the name formed.

    // psf:Feature whose "name" is the QName of (nameNs, nameLocal); null parent: the root element.
    virtual HRESULT FindFeature(IXMLDOMElement* parent, const WCHAR* nameNs, const WCHAR* nameLocal,
                                IXMLDOMElement** element);
    // psf:Option named so by its "name" attribute, or else by its psf:OptionName scored property.
    virtual HRESULT FindOption(IXMLDOMElement* parent, const WCHAR* nameNs, const WCHAR* nameLocal,
                               IXMLDOMElement** element);
    // The first psf:Option below `parent`; not S_OK when there is none.
    virtual HRESULT GetFirstOption(IXMLDOMElement* parent, IXMLDOMElement** element);
    // psf:Property named (nameNs, nameLocal); null parent: the root element.
    virtual HRESULT FindProperty(IXMLDOMElement* parent, const WCHAR* nameNs, const WCHAR* nameLocal,
                                 IXMLDOMElement** element);
    // psf:ScoredProperty named (nameNs, nameLocal); parent required.
    virtual HRESULT FindScoredProperty(IXMLDOMElement* parent, const WCHAR* nameNs, const WCHAR* nameLocal,
                                       IXMLDOMElement** element);
    // The first psf:Value below `parent`; not S_OK when there is none.
    virtual HRESULT GetFirstValue(IXMLDOMElement* parent, IXMLDOMElement** element);

private:
    HRESULT CreateNamedElement(IXMLDOMElement* parent, const WCHAR* elementLocal, const WCHAR* nameNs,
                               const WCHAR* nameLocal, IXMLDOMElement** element);
    HRESULT FindNamedElement(IXMLDOMElement* parent, const WCHAR* elementLocal, const WCHAR* nameNs,
                             const WCHAR* nameLocal, IXMLDOMElement** element);
    HRESULT FindOptionByOptionName(IXMLDOMNodeList* options, const WCHAR* name, IXMLDOMElement** element);
    HRESULT OptionNameMatches(IXMLDOMElement* option, const WCHAR* name, bool& matches);
    HRESULT SetValueType(IXMLDOMElement* value, const WCHAR* typeNs, const WCHAR* typeLocal);
};

}  // namespace qp
