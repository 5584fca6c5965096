// DomContext: one XML document, its root element and a namespace manager, with the generic
// operations the Print Schema layer is built on. Every QName it forms uses the prefix that the
// declarations in scope at the root element bind to the namespace; it never assumes a prefix.
#pragma once

#include <platform/com_ptr.h>
#include <platform/platform.h>

namespace qp {

class DomContext {
public:
    // Binds the context with Initialize; its result is kept, not reported (GetInitializeResult).
    DomContext(IXMLDOMDocument2* document, IPrintCoreHelper* coreHelper) noexcept;
    DomContext(const DomContext&) = delete;
    DomContext& operator=(const DomContext&) = delete;

    virtual ~DomContext();

    // Takes a reference to the document, makes the namespace manager through the core helper and
    // takes the root element. S_OK, or the first result that was not S_OK (S_FALSE for a document
    // without a root element); on any such result the context holds nothing.
    virtual HRESULT Initialize(IXMLDOMDocument2* document, IPrintCoreHelper* coreHelper);

    // The document's own QName for (ns, local): prefix, colon, local; or the bare local name when
    // ns is null or bound to the empty prefix at the root element. A new BSTR whose recorded
    // length counts its terminator when a prefix was used.
    virtual HRESULT MakeQName(const WCHAR* ns, const WCHAR* local, BSTR* qname);

    // Number of descendants of `parent` named (ns, local); `count` is written only on S_OK.
    virtual HRESULT CountElements(IXMLDOMElement* parent, const WCHAR* ns, const WCHAR* local, LONG* count);

    // Appends a new element named (ns, local) as the last child of `parent`; `element` optional.
    virtual HRESULT CreateElement(IXMLDOMNode* parent, const WCHAR* ns, const WCHAR* local,
                                  IXMLDOMElement** element);

    // Sets the attribute `attrName` (taken as written, in namespace attrNs or none) on `element`,
    // its value the QName of (valueNs, valueLocal); replaces one of the same name.
    // `attribute` is optional.
    virtual HRESULT SetQNameAttribute(IXMLDOMElement* element, const WCHAR* attrNs, const WCHAR* attrName,
                                      const WCHAR* valueNs, const WCHAR* valueLocal,
                                      IXMLDOMAttribute** attribute);

    // A new reference to the root element.
    virtual HRESULT GetRootElement(IXMLDOMElement** root);

    // The index-th descendant of `parent` named (ns, local), zero-based in document order; an
    // index at or past the end gives the list's result (S_FALSE) and no element.
    virtual HRESULT GetElementAt(IXMLDOMElement* parent, const WCHAR* ns, const WCHAR* local, LONG index,
                                 IXMLDOMElement** element);

    // The attribute of `node` named `name` as written; not S_OK (S_FALSE) when it has none.
    virtual HRESULT GetAttribute(IXMLDOMNode* node, const WCHAR* name, IXMLDOMAttribute** attribute);

    // Every descendant of `parent` (null: the root element) named (ns, local), in document order.
    virtual HRESULT GetElementsByTagName(IXMLDOMElement* parent, const WCHAR* ns, const WCHAR* local,
                                         IXMLDOMNodeList** list);

    // Walks `list` from its current position: S_OK and the first element whose `attrName`
    // attribute has exactly the text `value`; S_FALSE when the walk ends without one, which it
    // also does at the first element lacking the attribute.
    virtual HRESULT FindElementByAttribute(IXMLDOMNodeList* list, const WCHAR* attrName, const WCHAR* value,
                                           IXMLDOMElement** element);

    // Detaches the direct child `child` from `parent` (null: the root element). On S_OK the
    // caller's reference to `child` has been consumed; on failure the caller keeps it.
    virtual HRESULT RemoveChild(IXMLDOMNode* parent, IXMLDOMNode* child);

    // The namespace URI that the prefix of `qname` means at `node` (no colon: the default one).
    virtual HRESULT GetNamespaceURI(IXMLDOMNode* node, const WCHAR* qname, BSTR* uri);

    // The part of `qname` after its first colon, or the whole of it.
    virtual HRESULT GetLocalName(const WCHAR* qname, BSTR* local);

    // The part of `qname` before its first colon, or an empty string.
    virtual HRESULT GetPrefix(const WCHAR* qname, BSTR* prefix);

    // The prefix bound to `ns` by the declarations in scope at the root element ("" for the
    // default namespace); the namespace manager's failure (E_FAIL) when it is not bound there.
    HRESULT GetPrefixForNamespace(const WCHAR* ns, BSTR* prefix);

    // What the last Initialize returned. Every other operation of a context whose Initialize
    // did not return S_OK answers E_UNEXPECTED after its own argument checks and does nothing.
    HRESULT GetInitializeResult() const noexcept { return initializeResult_; }

private:
    bool IsBound() const noexcept { return initializeResult_ == S_OK; }
    HRESULT ListByQName(IXMLDOMElement* parent, const WCHAR* ns, const WCHAR* local, IXMLDOMNodeList** list);
    static HRESULT NamedAttribute(IXMLDOMNode* node, BSTR name, ComPtr<IXMLDOMAttribute>& attribute);
    void ReleaseAll() noexcept;

    ComPtr<IXMLDOMDocument2> document_;
    ComPtr<IXMLDOMElement> rootElement_;
    ComPtr<IMXNamespaceManager> namespaceManager_;
    HRESULT initializeResult_ = E_UNEXPECTED;
};

}  // namespace qp
