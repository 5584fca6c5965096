#include "qualified_name_search.h"

#include "documents.h"

#include <platform/com_ptr.h>

#include <string>

using qp::Bstr;
using qp::ComPtr;

namespace wintest {
namespace {

// IXMLDOMElement::getElementsByTagName: after IUnknown (3), IDispatch (4), IXMLDOMNode (36) and
// seven IXMLDOMElement methods before it.
constexpr size_t kGetElementsByTagNameSlot = 50;

// The XPath query that selects what MSXML's getElementsByTagName(name) finds: every descendant
// whose qualified name is `name`, in document order; "*" for all. No element name holds a quote,
// so a name with one finds nothing.
std::wstring QueryFor(const wchar_t* name) {
    const std::wstring qname(name);  // up to the first NUL, as MSXML reads a string argument
    if (qname == L"*") return L"descendant::*";
    if (qname.find(L'\'') != std::wstring::npos) return L"descendant::*[false()]";
    return L"descendant::*[name()='" + qname + L"']";
}

HRESULT STDMETHODCALLTYPE SearchByQualifiedName(IXMLDOMElement* self, BSTR tagName, IXMLDOMNodeList** found) {
    if (found == nullptr) return E_INVALIDARG;
    *found = nullptr;
    if (tagName == nullptr) return E_INVALIDARG;
    Bstr query = Bstr::Copy(QueryFor(tagName).c_str());
    if (!query) return E_OUTOFMEMORY;
    return self->selectNodes(query.get(), found);
}

// How many elements getElementsByTagName(name) finds below `element`; -1 when it fails.
LONG CountFound(IXMLDOMElement* element, const wchar_t* name) {
    Bstr tagName = Bstr::Copy(name);
    ComPtr<IXMLDOMNodeList> found;
    LONG length = -1;
    if (!tagName || FAILED(element->getElementsByTagName(tagName.get(), found.put())) || !found ||
        FAILED(found->get_length(&length))) {
        return -1;
    }
    return length;
}

bool ReplaceSlot(IXMLDOMElement* element, size_t slot, void* replacement) {
    void** vtable = *reinterpret_cast<void***>(element);
    DWORD protection = 0;
    if (!VirtualProtect(&vtable[slot], sizeof(void*), PAGE_READWRITE, &protection)) return false;
    vtable[slot] = replacement;
    VirtualProtect(&vtable[slot], sizeof(void*), protection, &protection);
    return true;
}

ElementSearch Probe() {
    ComPtr<IXMLDOMDocument2> document =
        LoadDocument(L"<a:r xmlns:a='urn:a' xmlns:b='urn:b'><a:f/><b:f/><a:g><a:f/></a:g></a:r>");
    ComPtr<IXMLDOMElement> root;
    if (!document || document->get_documentElement(root.put()) != S_OK || !root) return ElementSearch::Unknown;
    const LONG qualified = CountFound(root.get(), L"a:f");
    const LONG local = CountFound(root.get(), L"f");
    if (qualified == 2 && local == 0) return ElementSearch::Qualified;
    if (qualified != 0 || local != 3) return ElementSearch::Unknown;
    if (!ReplaceSlot(root.get(), kGetElementsByTagNameSlot, reinterpret_cast<void*>(&SearchByQualifiedName))) {
        return ElementSearch::Unknown;
    }
    const bool replaced = CountFound(root.get(), L"a:f") == 2 && CountFound(root.get(), L"f") == 0 &&
                          CountFound(root.get(), L"*") == 4;
    return replaced ? ElementSearch::ReplacedLocalOnly : ElementSearch::Unknown;
}

}  // namespace

ElementSearch MatchQualifiedNamesInElementSearch() {
    static const ElementSearch search = Probe();
    return search;
}

const char* Describe(ElementSearch search) {
    switch (search) {
        case ElementSearch::Qualified:
            return "getElementsByTagName matches qualified names";
        case ElementSearch::ReplacedLocalOnly:
            return "getElementsByTagName matched local names only and was replaced by a qualified-name query";
        case ElementSearch::Unknown:
            break;
    }
    return "getElementsByTagName matches neither qualified nor local names as expected";
}

}  // namespace wintest
