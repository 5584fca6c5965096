#include "dom_document.h"

#include "boundary_strings.h"
#include "dom_node_list.h"
#include "dom_parse_error.h"
#include "node_factory.h"
#include "text_content.h"
#include "xml_serializer.h"

#include <portable/test_support.h>

#include <iterator>
#include <new>

namespace msxml {
namespace {

constexpr const char* kPropertyNames[] = {
    "SelectionLanguage", "SelectionNamespaces", "ProhibitDTD",           "NewParser",        "AllowDocumentFunction",
    "AllowXsltScript",   "ServerHTTPRequest",   "MultipleErrorMessages", "ResolveExternals", "ValidateOnParse",
    "MaxElementDepth",   "MaxXMLSize",
};

int PropertyIndex(const std::string& name) {
    for (int i = 0; i < static_cast<int>(std::size(kPropertyNames)); ++i) {
        if (name == kPropertyNames[i]) return i;
    }
    return -1;
}

HRESULT NodeTypeOf(const VARIANT& value, DOMNodeType& type) {
    LONG number = 0;
    switch (value.vt) {
    case VT_I2: number = value.iVal; break;
    case VT_I4: number = value.lVal; break;
    case VT_INT: number = value.intVal; break;
    case VT_UI4: number = static_cast<LONG>(value.ulVal); break;
    case VT_BSTR: {
        static constexpr std::pair<const char*, DOMNodeType> kNames[] = {
            {"element", NODE_ELEMENT}, {"attribute", NODE_ATTRIBUTE}, {"text", NODE_TEXT},
            {"cdatasection", NODE_CDATA_SECTION}, {"comment", NODE_COMMENT},
            {"processinginstruction", NODE_PROCESSING_INSTRUCTION}};
        const std::string name = ArgToUtf8(value.bstrVal);
        for (const auto& [text, kind] : kNames) {
            if (name == text) {
                type = kind;
                return S_OK;
            }
        }
        return E_INVALIDARG;
    }
    default:
        return E_INVALIDARG;
    }
    if (number < NODE_ELEMENT || number > NODE_NOTATION) return E_INVALIDARG;
    type = static_cast<DOMNodeType>(number);
    return S_OK;
}

HRESULT ReadFlag(bool flag, VARIANT_BOOL* out) {
    if (out == nullptr) return E_INVALIDARG;
    *out = flag ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

std::string PathOf(const std::string& source) {
    constexpr std::string_view kFileScheme = "file://";
    return source.rfind(kFileScheme, 0) == 0 ? source.substr(kFileScheme.size()) : source;
}

}  // namespace

HRESULT DomDocument::Create(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    EnsureLibxmlInitialized();
    xmlDocPtr doc = NewDocument();
    if (doc == nullptr) return E_OUTOFMEMORY;
    XmlTree* tree = XmlTree::Adopt(doc, false);
    if (tree == nullptr) return E_OUTOFMEMORY;
    DomDocument* document = NewObject<DomDocument>(reinterpret_cast<xmlNodePtr>(doc), tree);
    tree->Release();
    if (document == nullptr) return E_OUTOFMEMORY;
    const HRESULT hr = document->QueryInterface(riid, ppv);
    document->Release();
    return hr;
}

void* DomDocument::QueryMore(REFIID riid) {
    if (riid == IID_IXMLDOMDocument || riid == IID_IXMLDOMDocument2) return static_cast<IXMLDOMDocument2*>(this);
    return nullptr;
}

HRESULT DomDocument::get_documentElement(IXMLDOMElement** element) {
    if (element == nullptr) return E_INVALIDARG;
    return ReturnNode(*this, xmlDocGetRootElement(tree().doc()), IID_IXMLDOMElement,
                      reinterpret_cast<void**>(element));
}

HRESULT DomDocument::putref_documentElement(IXMLDOMElement* element) {
    if (element == nullptr) return E_INVALIDARG;
    xmlNodePtr root = xmlDocGetRootElement(tree().doc());
    if (root == nullptr) return appendChild(element, nullptr);
    Ref<IXMLDOMNode> current;
    const HRESULT hr = ReturnNode(*this, root, IID_IXMLDOMNode, reinterpret_cast<void**>(current.put()));
    if (FAILED(hr)) return hr;
    return replaceChild(element, current.get(), nullptr);
}

HRESULT DomDocument::CreateTyped(DOMNodeType type, BSTR name, BSTR namespaceURI, REFIID iid, void** out) {
    if (out == nullptr) return E_INVALIDARG;
    *out = nullptr;
    return NoThrow([&] {
        const std::string qualifiedName = ArgToUtf8(name);
        const std::string uri = ArgToUtf8(namespaceURI);
        xmlNodePtr node = nullptr;
        HRESULT hr = E_INVALIDARG;
        switch (type) {
        case NODE_ELEMENT:
            hr = NewDetachedElement(tree(), qualifiedName, uri, &node);
            break;
        case NODE_ATTRIBUTE:
            hr = NewDetachedAttribute(tree(), qualifiedName, uri, &node);
            break;
        case NODE_TEXT:
        case NODE_CDATA_SECTION:
        case NODE_COMMENT:
        case NODE_PROCESSING_INSTRUCTION:
            hr = NewDetachedLeaf(tree(), type, qualifiedName, std::string(), &node);
            break;
        case NODE_DOCUMENT:
        case NODE_DOCUMENT_TYPE:
        case NODE_ENTITY:
        case NODE_NOTATION:
            return E_INVALIDARG;
        default:
            return E_NOTIMPL;
        }
        if (FAILED(hr)) return hr;
        return ReturnNode(*this, node, iid, out);
    });
}

HRESULT DomDocument::createElement(BSTR tagName, IXMLDOMElement** element) {
    return CreateTyped(NODE_ELEMENT, tagName, nullptr, IID_IXMLDOMElement, reinterpret_cast<void**>(element));
}

HRESULT DomDocument::createAttribute(BSTR name, IXMLDOMAttribute** attribute) {
    return CreateTyped(NODE_ATTRIBUTE, name, nullptr, IID_IXMLDOMAttribute, reinterpret_cast<void**>(attribute));
}

HRESULT DomDocument::createNode(VARIANT type, BSTR name, BSTR namespaceURI, IXMLDOMNode** node) {
    if (node == nullptr) return E_INVALIDARG;
    *node = nullptr;
    DOMNodeType kind = NODE_INVALID;
    const HRESULT hr = NodeTypeOf(type, kind);
    if (FAILED(hr)) return hr;
    return CreateTyped(kind, name, namespaceURI, IID_IXMLDOMNode, reinterpret_cast<void**>(node));
}

HRESULT DomDocument::getElementsByTagName(BSTR tagName, IXMLDOMNodeList** list) {
    if (list == nullptr) return E_INVALIDARG;
    *list = nullptr;
    return NoThrow([&] {
        return DomNodeList::CreateDescendants(*this, ArgToUtf8(tagName), list);
    });
}

HRESULT DomDocument::ReplaceTree(xmlDocPtr doc, bool hasDeclaration) {
    XmlTree* replacement = XmlTree::Adopt(doc, hasDeclaration);
    if (replacement == nullptr) return E_OUTOFMEMORY;
    // The old tree's document node loses its object: node objects of the old tree stay valid,
    // and its root now stands alone.
    Rebind(reinterpret_cast<xmlNodePtr>(doc), replacement);
    replacement->Release();
    return S_OK;
}

HRESULT DomDocument::Fail(ParseFailure failure) {
    const bool outOfMemory = failure.errorCode == static_cast<LONG>(E_OUTOFMEMORY);
    failure_ = std::move(failure);
    url_.clear();
    xmlDocPtr empty = NewDocument();
    if (empty == nullptr) return E_OUTOFMEMORY;
    const HRESULT hr = ReplaceTree(empty, false);
    if (FAILED(hr)) return hr;
    return outOfMemory ? E_OUTOFMEMORY : S_FALSE;
}

ParseSettings DomDocument::Settings(bool fromUtf16) const {
    ParseSettings settings;
    settings.prohibitDtd = flags_[kProhibitDtd];
    settings.maxElementDepth = maxElementDepth_;
    settings.maxSizeKilochars = maxXmlSize_;
    settings.preserveWhiteSpace = preserveWhiteSpace_;
    settings.ignoreDeclaredEncoding = fromUtf16;
    return settings;
}

template <class Parse>
HRESULT DomDocument::Load(const std::string& url, VARIANT_BOOL* isSuccessful, Parse parse) {
    if (isSuccessful) *isSuccessful = VARIANT_FALSE;
    if (PortableFaultNextAllocationFails()) return Fail(OutOfMemoryFailure());
    ParseResult parsed = parse();
    if (parsed.doc == nullptr) return Fail(std::move(parsed.failure));
    const HRESULT hr = ReplaceTree(parsed.doc, parsed.hasDeclaration);
    if (FAILED(hr)) {
        failure_ = OutOfMemoryFailure();
        return hr;
    }
    failure_ = ParseFailure();
    url_ = url;
    if (isSuccessful) *isSuccessful = VARIANT_TRUE;
    return S_OK;
}

HRESULT DomDocument::loadXML(BSTR xml, VARIANT_BOOL* isSuccessful) {
    return NoThrow([&] {
        const std::string text = ArgToUtf8(xml);
        return Load(std::string(), isSuccessful, [&] { return ParseXml(text, std::string(), Settings(true)); });
    });
}

HRESULT DomDocument::load(VARIANT source, VARIANT_BOOL* isSuccessful) {
    if (isSuccessful) *isSuccessful = VARIANT_FALSE;
    if (source.vt != VT_BSTR) return E_INVALIDARG;
    return NoThrow([&] {
        const std::string url = ArgToUtf8(source.bstrVal);
        return Load(url, isSuccessful, [&] { return ParseXmlFile(PathOf(url), url, Settings(false)); });
    });
}

HRESULT DomDocument::save(VARIANT destination) {
    // MSXML also takes a stream or another document, which this stand-in does not model.
    if (destination.vt == VT_UNKNOWN || destination.vt == VT_DISPATCH) return E_NOTIMPL;
    if (destination.vt != VT_BSTR) return E_INVALIDARG;
    return NoThrow([&] {
        const std::string path = PathOf(ArgToUtf8(destination.bstrVal));
        if (path.empty()) return E_INVALIDARG;
        return SaveDocument(tree(), path);
    });
}

HRESULT DomDocument::get_readyState(LONG* value) {
    if (value == nullptr) return E_INVALIDARG;
    *value = 4;  // completed: loads are synchronous
    return S_OK;
}

HRESULT DomDocument::get_parseError(IXMLDOMParseError** error) {
    if (error == nullptr) return E_INVALIDARG;
    return DomParseError::Create(failure_, error);
}

HRESULT DomDocument::get_url(BSTR* url) {
    if (url == nullptr) return E_INVALIDARG;
    *url = nullptr;
    if (url_.empty()) return S_FALSE;
    return NewBstr(url_, url);
}

HRESULT DomDocument::get_async(VARIANT_BOOL* isAsync) { return ReadFlag(async_, isAsync); }

HRESULT DomDocument::put_async(VARIANT_BOOL isAsync) {
    async_ = isAsync != VARIANT_FALSE;
    return S_OK;
}

HRESULT DomDocument::get_validateOnParse(VARIANT_BOOL* isValidating) {
    return ReadFlag(flags_[kValidateOnParse], isValidating);
}

HRESULT DomDocument::put_validateOnParse(VARIANT_BOOL isValidating) {
    flags_[kValidateOnParse] = isValidating != VARIANT_FALSE;
    return S_OK;
}

HRESULT DomDocument::get_resolveExternals(VARIANT_BOOL* isResolving) { return ReadFlag(false, isResolving); }

HRESULT DomDocument::put_resolveExternals(VARIANT_BOOL isResolving) {
    return isResolving == VARIANT_FALSE ? S_OK : E_INVALIDARG;
}

HRESULT DomDocument::get_preserveWhiteSpace(VARIANT_BOOL* isPreserving) {
    return ReadFlag(preserveWhiteSpace_, isPreserving);
}

HRESULT DomDocument::put_preserveWhiteSpace(VARIANT_BOOL isPreserving) {
    preserveWhiteSpace_ = isPreserving != VARIANT_FALSE;
    return S_OK;
}

HRESULT DomDocument::setProperty(BSTR name, VARIANT value) {
    return NoThrow([&] {
        const int index = PropertyIndex(ArgToUtf8(name));
        if (index < 0) return E_INVALIDARG;
        if (index == kSelectionLanguage || index == kSelectionNamespaces) {
            std::string text;
            const HRESULT hr = VariantToUtf8(value, text);
            if (FAILED(hr)) return hr;
            if (index == kSelectionLanguage && text != "XPath" && text != "XSLPattern") return E_FAIL;
            texts_[index] = std::move(text);
            return S_OK;
        }
        if (index == kMaxElementDepth) return SetLimit(value, maxElementDepth_);
        if (index == kMaxXmlSize) return SetLimit(value, maxXmlSize_);
        VARIANT flag;
        VariantInit(&flag);
        const HRESULT hr = VariantChangeType(&flag, &value, 0, VT_BOOL);
        if (FAILED(hr)) return hr;
        const bool on = flag.boolVal != VARIANT_FALSE;
        if (index == kResolveExternals && on) return E_INVALIDARG;
        flags_[index] = on;
        return S_OK;
    });
}

// MaxElementDepth and MaxXMLSize: 0 lifts the bound, as in MSXML; trees are walked without
// recursion at any depth.
HRESULT DomDocument::SetLimit(const VARIANT& value, unsigned& limit) {
    VARIANT number;
    VariantInit(&number);
    const HRESULT hr = VariantChangeType(&number, &value, 0, VT_I4);
    if (FAILED(hr)) return hr;
    if (number.lVal < 0) return E_INVALIDARG;
    limit = static_cast<unsigned>(number.lVal);
    return S_OK;
}

HRESULT DomDocument::getProperty(BSTR name, VARIANT* value) {
    if (value == nullptr) return E_INVALIDARG;
    VariantInit(value);
    return NoThrow([&] {
        const int index = PropertyIndex(ArgToUtf8(name));
        if (index < 0) return E_INVALIDARG;
        if (index == kSelectionLanguage || index == kSelectionNamespaces) {
            const std::string& text =
                index == kSelectionLanguage && texts_[index].empty() ? std::string("XPath") : texts_[index];
            BSTR out = nullptr;
            const HRESULT hr = NewBstr(text, &out);
            if (FAILED(hr)) return hr;
            value->vt = VT_BSTR;
            value->bstrVal = out;
            return S_OK;
        }
        if (index == kMaxElementDepth || index == kMaxXmlSize) {
            value->vt = VT_I4;
            value->lVal = static_cast<LONG>(index == kMaxElementDepth ? maxElementDepth_ : maxXmlSize_);
            return S_OK;
        }
        value->vt = VT_BOOL;
        value->boolVal = flags_[index] ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    });
}

}  // namespace msxml
