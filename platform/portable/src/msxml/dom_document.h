// The document object: IXMLDOMDocument2 over one libxml2 tree at a time. A load replaces the
// tree; node objects of the old tree keep it alive until they go.
#pragma once

#include "dispatch_object.h"
#include "node_impl.h"
#include "xml_parser.h"

#include <string>

namespace msxml {

class DomDocument final : public NodeImpl<IXMLDOMDocument2> {
public:
    // A new, empty document (CLSID_DOMDocument60).
    static HRESULT Create(REFIID riid, void** ppv);

    DomDocument(xmlNodePtr node, XmlTree* tree) noexcept : NodeImpl(node, tree, OwnsTree{}) {}

    // IXMLDOMDocument
    HRESULT STDMETHODCALLTYPE get_doctype(IXMLDOMDocumentType** doctype) override { return NotOffered(doctype); }
    HRESULT STDMETHODCALLTYPE get_implementation(IXMLDOMImplementation** impl) override { return NotOffered(impl); }
    // No root element: S_FALSE and null.
    HRESULT STDMETHODCALLTYPE get_documentElement(IXMLDOMElement** element) override;
    HRESULT STDMETHODCALLTYPE putref_documentElement(IXMLDOMElement* element) override;
    HRESULT STDMETHODCALLTYPE createElement(BSTR tagName, IXMLDOMElement** element) override;
    // The typed leaf interfaces are not declared by this stand-in: createNode makes these nodes.
    HRESULT STDMETHODCALLTYPE createDocumentFragment(IXMLDOMDocumentFragment** out) override { return NotOffered(out); }
    HRESULT STDMETHODCALLTYPE createTextNode(BSTR, IXMLDOMText** out) override { return NotOffered(out); }
    HRESULT STDMETHODCALLTYPE createComment(BSTR, IXMLDOMComment** out) override { return NotOffered(out); }
    HRESULT STDMETHODCALLTYPE createCDATASection(BSTR, IXMLDOMCDATASection** out) override { return NotOffered(out); }
    HRESULT STDMETHODCALLTYPE createProcessingInstruction(BSTR, BSTR, IXMLDOMProcessingInstruction** out) override {
        return NotOffered(out);
    }
    HRESULT STDMETHODCALLTYPE createAttribute(BSTR name, IXMLDOMAttribute** attribute) override;
    HRESULT STDMETHODCALLTYPE createEntityReference(BSTR, IXMLDOMEntityReference** out) override { return NotOffered(out); }
    HRESULT STDMETHODCALLTYPE getElementsByTagName(BSTR tagName, IXMLDOMNodeList** list) override;
    HRESULT STDMETHODCALLTYPE createNode(VARIANT type, BSTR name, BSTR namespaceURI, IXMLDOMNode** node) override;
    HRESULT STDMETHODCALLTYPE nodeFromID(BSTR, IXMLDOMNode** node) override { return NotOffered(node); }
    // A file path (VT_BSTR). Loads synchronously.
    HRESULT STDMETHODCALLTYPE load(VARIANT source, VARIANT_BOOL* isSuccessful) override;
    HRESULT STDMETHODCALLTYPE get_readyState(LONG* value) override;
    HRESULT STDMETHODCALLTYPE get_parseError(IXMLDOMParseError** error) override;
    HRESULT STDMETHODCALLTYPE get_url(BSTR* url) override;
    HRESULT STDMETHODCALLTYPE get_async(VARIANT_BOOL* isAsync) override;
    HRESULT STDMETHODCALLTYPE put_async(VARIANT_BOOL isAsync) override;
    HRESULT STDMETHODCALLTYPE abort() override { return E_NOTIMPL; }
    // S_OK and VARIANT_TRUE; or S_FALSE and VARIANT_FALSE, the document then empty and the
    // parse error recorded.
    HRESULT STDMETHODCALLTYPE loadXML(BSTR xml, VARIANT_BOOL* isSuccessful) override;
    // A file path (VT_BSTR): the document with an XML declaration, in the encoding its loaded
    // declaration named (UTF-8 when none). Streams and documents: E_NOTIMPL.
    HRESULT STDMETHODCALLTYPE save(VARIANT destination) override;
    HRESULT STDMETHODCALLTYPE get_validateOnParse(VARIANT_BOOL* isValidating) override;
    HRESULT STDMETHODCALLTYPE put_validateOnParse(VARIANT_BOOL isValidating) override;
    HRESULT STDMETHODCALLTYPE get_resolveExternals(VARIANT_BOOL* isResolving) override;
    // External resources are never resolved: VARIANT_TRUE is refused.
    HRESULT STDMETHODCALLTYPE put_resolveExternals(VARIANT_BOOL isResolving) override;
    HRESULT STDMETHODCALLTYPE get_preserveWhiteSpace(VARIANT_BOOL* isPreserving) override;
    // Whitespace-only text is kept as loaded unless this is set to VARIANT_FALSE before a load.
    HRESULT STDMETHODCALLTYPE put_preserveWhiteSpace(VARIANT_BOOL isPreserving) override;
    HRESULT STDMETHODCALLTYPE put_onreadystatechange(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_ondataavailable(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_ontransformnode(VARIANT) override { return E_NOTIMPL; }

    // IXMLDOMDocument2
    HRESULT STDMETHODCALLTYPE get_namespaces(IXMLDOMSchemaCollection** out) override { return NotOffered(out); }
    HRESULT STDMETHODCALLTYPE get_schemas(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE putref_schemas(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE validate(IXMLDOMParseError** error) override { return NotOffered(error); }
    HRESULT STDMETHODCALLTYPE setProperty(BSTR name, VARIANT value) override;
    HRESULT STDMETHODCALLTYPE getProperty(BSTR name, VARIANT* value) override;

protected:
    void* QueryMore(REFIID riid) override;

private:
    enum Property { kSelectionLanguage, kSelectionNamespaces, kProhibitDtd, kNewParser, kAllowDocumentFunction,
                    kAllowXsltScript, kServerHttpRequest, kMultipleErrorMessages, kResolveExternals,
                    kValidateOnParse, kMaxElementDepth, kMaxXmlSize, kPropertyCount };

    ParseSettings Settings(bool fromUtf16) const;
    // Replaces the tree with what `parse()` made of the source named `url`, or fails.
    template <class Parse>
    HRESULT Load(const std::string& url, VARIANT_BOOL* isSuccessful, Parse parse);
    HRESULT Fail(ParseFailure failure);
    HRESULT ReplaceTree(xmlDocPtr doc, bool hasDeclaration);
    HRESULT SetLimit(const VARIANT& value, unsigned& limit);
    HRESULT CreateTyped(DOMNodeType type, BSTR name, BSTR namespaceURI, REFIID iid, void** out);

    ParseFailure failure_;
    std::string url_;
    bool async_ = false;
    bool preserveWhiteSpace_ = true;
    bool flags_[kPropertyCount] = {false, false, true, false, false, false, false, false, false, false, false, false};
    unsigned maxElementDepth_ = kDefaultMaxElementDepth;  // 0: no limit
    unsigned maxXmlSize_ = 0;                             // blocks of 1,024 characters; 0: no limit
    std::string texts_[kPropertyCount];
};

}  // namespace msxml
