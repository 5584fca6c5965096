// The host's namespace manager answers as the stand-in's does on the same documents. It reads
// declarations as the xmlns attributes an element lists, as MSXML's and Wine's DOMs list them;
// the stand-in's DOM keeps them apart, so the host's manager runs here over a small DOM of the
// test's own, built from libxml2's parse of the same text, which counts the references it gives.
#include "platform/msxml_fixture.h"

#include <session/core_helper_stub.h>
#include <session/host_namespace_manager.h>

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <vector>

using qp::Bstr;
using qp::ComPtr;

namespace {

constexpr const char* kPsf = msxmltest::kPsf;
constexpr const char* kPsk = msxmltest::kPsk;
constexpr const char* kXmlNamespace = "http://www.w3.org/XML/1998/namespace";

#define NOT_OFFERED(method, ...) \
    HRESULT STDMETHODCALLTYPE method(__VA_ARGS__) override { return E_NOTIMPL; }
#define NO_DISPATCH                                                        \
    NOT_OFFERED(GetTypeInfoCount, UINT*)                                   \
    NOT_OFFERED(GetTypeInfo, UINT, LCID, ITypeInfo**)                      \
    NOT_OFFERED(GetIDsOfNames, REFIID, LPOLESTR*, UINT, LCID, DISPID*)     \
    NOT_OFFERED(Invoke, DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*)

HRESULT CopyText(const std::u16string& text, BSTR* out) {
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

template <class Node>
HRESULT Hand(Node* node, IXMLDOMNode** out) {
    *out = node;
    if (node == nullptr) return S_FALSE;
    node->AddRef();
    return S_OK;
}

// A node of the listed DOM. The DOM owns it; the count is of references handed out.
class ListedNode final : public IXMLDOMNode {
public:
    ListedNode(DOMNodeType type, std::u16string name, std::u16string value, ListedNode* parent)
        : type_(type), name_(std::move(name)), value_(std::move(value)), parent_(parent) {}

    std::vector<ListedNode*> attributes;  // declarations listed among the rest, as MSXML does
    // Listed as Wine lists declarations alone: the first twice, the last past the length.
    bool shifted = false;
    LONG references = 0;

    DOMNodeType Type() const { return type_; }
    const std::u16string& Name() const { return name_; }
    const ListedNode* Parent() const { return parent_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        *ppv = nullptr;
        if (riid != IID_IUnknown && riid != IID_IDispatch && riid != IID_IXMLDOMNode) return E_NOINTERFACE;
        *ppv = static_cast<IXMLDOMNode*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--references); }
    NO_DISPATCH

    HRESULT STDMETHODCALLTYPE get_nodeName(BSTR* name) override { return CopyText(name_, name); }
    HRESULT STDMETHODCALLTYPE get_nodeValue(VARIANT* value) override {
        VariantInit(value);
        if (type_ == NODE_ELEMENT || type_ == NODE_DOCUMENT) {
            value->vt = VT_NULL;
            return S_FALSE;
        }
        const HRESULT hr = CopyText(value_, &value->bstrVal);
        if (hr == S_OK) value->vt = VT_BSTR;
        return hr;
    }
    HRESULT STDMETHODCALLTYPE get_nodeType(DOMNodeType* type) override {
        *type = type_;
        return S_OK;
    }
    // As in MSXML, an attribute has no parent.
    HRESULT STDMETHODCALLTYPE get_parentNode(IXMLDOMNode** parent) override {
        return Hand(type_ == NODE_ATTRIBUTE ? nullptr : parent_, parent);
    }
    HRESULT STDMETHODCALLTYPE get_attributes(IXMLDOMNamedNodeMap** map) override;

    NOT_OFFERED(put_nodeValue, VARIANT)
    NOT_OFFERED(get_childNodes, IXMLDOMNodeList**)
    NOT_OFFERED(get_firstChild, IXMLDOMNode**)
    NOT_OFFERED(get_lastChild, IXMLDOMNode**)
    NOT_OFFERED(get_previousSibling, IXMLDOMNode**)
    NOT_OFFERED(get_nextSibling, IXMLDOMNode**)
    NOT_OFFERED(insertBefore, IXMLDOMNode*, VARIANT, IXMLDOMNode**)
    NOT_OFFERED(replaceChild, IXMLDOMNode*, IXMLDOMNode*, IXMLDOMNode**)
    NOT_OFFERED(removeChild, IXMLDOMNode*, IXMLDOMNode**)
    NOT_OFFERED(appendChild, IXMLDOMNode*, IXMLDOMNode**)
    NOT_OFFERED(hasChildNodes, VARIANT_BOOL*)
    NOT_OFFERED(get_ownerDocument, IXMLDOMDocument**)
    NOT_OFFERED(cloneNode, VARIANT_BOOL, IXMLDOMNode**)
    NOT_OFFERED(get_nodeTypeString, BSTR*)
    NOT_OFFERED(get_text, BSTR*)
    NOT_OFFERED(put_text, BSTR)
    NOT_OFFERED(get_specified, VARIANT_BOOL*)
    NOT_OFFERED(get_definition, IXMLDOMNode**)
    NOT_OFFERED(get_nodeTypedValue, VARIANT*)
    NOT_OFFERED(put_nodeTypedValue, VARIANT)
    NOT_OFFERED(get_dataType, VARIANT*)
    NOT_OFFERED(put_dataType, BSTR)
    NOT_OFFERED(get_xml, BSTR*)
    NOT_OFFERED(transformNode, IXMLDOMNode*, BSTR*)
    NOT_OFFERED(selectNodes, BSTR, IXMLDOMNodeList**)
    NOT_OFFERED(selectSingleNode, BSTR, IXMLDOMNode**)
    NOT_OFFERED(get_parsed, VARIANT_BOOL*)
    NOT_OFFERED(get_namespaceURI, BSTR*)
    NOT_OFFERED(get_prefix, BSTR*)
    NOT_OFFERED(get_baseName, BSTR*)
    NOT_OFFERED(transformNodeToObject, IXMLDOMNode*, VARIANT)

private:
    DOMNodeType type_;
    std::u16string name_;
    std::u16string value_;
    ListedNode* parent_;
};

// An element's attributes, by position only: like Wine's, it finds no declaration by name.
class ListedAttributes final : public IXMLDOMNamedNodeMap {
public:
    explicit ListedAttributes(ListedNode* element) : element_(element) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        *ppv = nullptr;
        if (riid != IID_IUnknown && riid != IID_IDispatch && riid != IID_IXMLDOMNamedNodeMap) return E_NOINTERFACE;
        *ppv = static_cast<IXMLDOMNamedNodeMap*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG remaining = --refs_;
        if (remaining == 0) delete this;
        return remaining;
    }
    NO_DISPATCH

    HRESULT STDMETHODCALLTYPE getNamedItem(BSTR, IXMLDOMNode** item) override {
        return Hand<ListedNode>(nullptr, item);
    }
    HRESULT STDMETHODCALLTYPE get_item(LONG index, IXMLDOMNode** item) override {
        const std::vector<ListedNode*>& all = element_->attributes;
        if (element_->shifted && index > 0) --index;
        const bool within = index >= 0 && static_cast<size_t>(index) < all.size();
        return Hand(within ? all[static_cast<size_t>(index)] : nullptr, item);
    }
    HRESULT STDMETHODCALLTYPE get_length(LONG* length) override {
        *length = static_cast<LONG>(element_->attributes.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE reset() override { return E_NOTIMPL; }
    NOT_OFFERED(setNamedItem, IXMLDOMNode*, IXMLDOMNode**)
    NOT_OFFERED(removeNamedItem, BSTR, IXMLDOMNode**)
    NOT_OFFERED(getQualifiedItem, BSTR, BSTR, IXMLDOMNode**)
    NOT_OFFERED(removeQualifiedItem, BSTR, BSTR, IXMLDOMNode**)
    NOT_OFFERED(nextNode, IXMLDOMNode**)
    NOT_OFFERED(get__newEnum, IUnknown**)

private:
    ComPtr<ListedNode> element_;
    ULONG refs_ = 1;
};

HRESULT ListedNode::get_attributes(IXMLDOMNamedNodeMap** map) {
    *map = nullptr;
    if (type_ != NODE_ELEMENT) return S_FALSE;
    *map = new (std::nothrow) ListedAttributes(this);
    return *map ? S_OK : E_OUTOFMEMORY;
}

std::string Chars(const xmlChar* text) { return text ? reinterpret_cast<const char*>(text) : ""; }

std::u16string QName(xmlNsPtr ns, const xmlChar* local) {
    return qptest::Utf16((ns && ns->prefix ? Chars(ns->prefix) + ":" : std::string()) + Chars(local));
}

std::u16string Content(xmlNodePtr node) {
    xmlChar* text = xmlNodeGetContent(node);
    const std::u16string content = qptest::Utf16(Chars(text));
    xmlFree(text);
    return content;
}

enum class Listing { AsMsxml, AsWine };

// A document as a tree of ListedNodes. Nodes are named by path: "#document", an element's name
// as written, and below an element "/#text" for its first text and "/@name" for an attribute.
class ListedDom {
public:
    explicit ListedDom(const std::string& utf8, Listing listing = Listing::AsMsxml) : listing_(listing) {
        ListedNode* document = Add(NODE_DOCUMENT, u"#document", u"", nullptr);
        xmlDocPtr doc = xmlReadMemory(utf8.data(), static_cast<int>(utf8.size()), nullptr, nullptr, XML_PARSE_NONET);
        EXPECT_NE(doc, nullptr) << utf8;
        if (doc == nullptr) return;
        AddElement(xmlDocGetRootElement(doc), document);
        xmlFreeDoc(doc);
    }

    ComPtr<IXMLDOMNode> Find(const std::string& path) const {
        const size_t slash = path.find('/');
        const ListedNode* element = Named(qptest::Utf16(path.substr(0, slash)), nullptr);
        if (element == nullptr || slash == std::string::npos) return Held(element, path);
        const std::string below = path.substr(slash + 1);
        if (below == "#text") return Held(Named(u"#text", element), path);
        for (ListedNode* attribute : element->attributes) {
            if (attribute->Name() == qptest::Utf16(below.substr(1))) return Held(attribute, path);
        }
        return Held(nullptr, path);
    }

    LONG References() const {
        LONG total = 0;
        for (const auto& node : nodes_) total += node->references;
        return total;
    }

private:
    ListedNode* Add(DOMNodeType type, std::u16string name, std::u16string value, ListedNode* parent) {
        nodes_.push_back(std::make_unique<ListedNode>(type, std::move(name), std::move(value), parent));
        return nodes_.back().get();
    }

    void AddElement(xmlNodePtr element, ListedNode* parent) {
        ListedNode* node = Add(NODE_ELEMENT, QName(element->ns, element->name), u"", parent);
        for (xmlAttrPtr a = element->properties; a; a = a->next) {
            const std::u16string value = Content(reinterpret_cast<xmlNodePtr>(a));
            node->attributes.push_back(Add(NODE_ATTRIBUTE, QName(a->ns, a->name), value, node));
        }
        node->shifted = listing_ == Listing::AsWine && node->attributes.empty() && element->nsDef;
        for (xmlNsPtr ns = element->nsDef; ns; ns = ns->next) {
            const std::string name = ns->prefix ? "xmlns:" + Chars(ns->prefix) : "xmlns";
            node->attributes.push_back(Add(NODE_ATTRIBUTE, qptest::Utf16(name), qptest::Utf16(Chars(ns->href)), node));
        }
        for (xmlNodePtr child = element->children; child; child = child->next) {
            if (child->type == XML_ELEMENT_NODE) AddElement(child, node);
            if (child->type == XML_TEXT_NODE) Add(NODE_TEXT, u"#text", Content(child), node);
        }
    }

    const ListedNode* Named(const std::u16string& name, const ListedNode* parent) const {
        for (const auto& node : nodes_) {
            if (node->Name() == name && (parent == nullptr || node->Parent() == parent)) return node.get();
        }
        return nullptr;
    }

    static ComPtr<IXMLDOMNode> Held(const ListedNode* node, const std::string& path) {
        EXPECT_NE(node, nullptr) << "no node " << path;
        return ComPtr<IXMLDOMNode>(const_cast<ListedNode*>(node));
    }

    Listing listing_;
    std::vector<std::unique_ptr<ListedNode>> nodes_;
};

std::string Hex(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(hr));
    return text;
}

// What a run of calls answered: a line per call to compare, and what each call said (its text,
// or its result when it gave none) by section and call, for the cases to look at.
struct Answers {
    std::vector<std::string> lines;
    std::map<std::string, std::string> said;

    std::string Said(const std::string& section, const std::string& call) const {
        const auto found = said.find(section + " | " + call);
        return found != said.end() ? found->second : "(not asked)";
    }
};

// Calls made alike on either manager, each answer written down.
class Transcript {
public:
    using NodeFinder = std::function<ComPtr<IXMLDOMNode>(const std::string&)>;

    Transcript(IMXNamespaceManager* manager, NodeFinder find) : manager_(manager), find_(std::move(find)) {}

    Answers answers;

    void Section(const std::string& label) { label_ = label; }

    void PushNode(const std::string& path, bool deep) {
        ComPtr<IXMLDOMNode> node = path.empty() ? nullptr : find_(path);
        Note("pushNodeContext(" + path + (deep ? ", deep)" : ")"),
             manager_->pushNodeContext(node.get(), deep ? VARIANT_TRUE : VARIANT_FALSE));
    }
    void Push() { Note("pushContext", manager_->pushContext()); }
    void Pop() { Note("popContext", manager_->popContext()); }
    void Reset() { Note("reset", manager_->reset()); }
    void AllowOverride(bool allow) {
        Note("putAllowOverride", manager_->putAllowOverride(allow ? VARIANT_TRUE : VARIANT_FALSE));
        VARIANT_BOOL read = 7;
        const HRESULT hr = manager_->getAllowOverride(&read);
        Note("getAllowOverride " + std::to_string(read), hr);
    }
    void Declare(const char* prefix, const std::string& uri) {
        const std::u16string wide = qptest::Utf16(prefix ? prefix : "");
        Note("declarePrefix(" + std::string(prefix ? prefix : "null") + ", " + uri + ")",
             manager_->declarePrefix(prefix ? wide.c_str() : nullptr, qptest::Utf16(uri).c_str()));
    }
    void Prefix(const std::string& uri, LONG index) {
        const std::u16string wide = qptest::Utf16(uri);
        Read("getPrefix(" + uri + ", " + std::to_string(index) + ")",
             [&](WCHAR* buffer, int* count) { return manager_->getPrefix(wide.c_str(), index, buffer, count); });
    }
    void Uri(const std::string& prefix, const std::string& path = "") {
        const std::u16string wide = qptest::Utf16(prefix);
        ComPtr<IXMLDOMNode> node = path.empty() ? nullptr : find_(path);
        Read("getURI(" + prefix + (path.empty() ? "" : " at " + path) + ")",
             [&](WCHAR* buffer, int* count) { return manager_->getURI(wide.c_str(), node.get(), buffer, count); });
    }
    void Declared(LONG index) {
        Read("getDeclaredPrefix(" + std::to_string(index) + ")",
             [&](WCHAR* buffer, int* count) { return manager_->getDeclaredPrefix(index, buffer, count); });
    }
    // Argument checks and the like, by hand.
    void Call(const std::string& call, HRESULT hr) { Note(call, hr); }
    IMXNamespaceManager* Manager() const { return manager_; }

private:
    void Note(const std::string& call, HRESULT hr) { Record(call, Hex(hr), Hex(hr)); }

    void Record(const std::string& call, const std::string& answer, const std::string& said) {
        answers.lines.push_back(label_ + " | " + call + ": " + answer);
        answers.said[label_ + " | " + call] = said;
    }

    // The length with no buffer, then a buffer one character short of the terminator's room,
    // then one just long enough.
    template <class Call>
    void Read(const std::string& call, Call read) {
        int length = -7;
        const HRESULT sized = read(nullptr, &length);
        std::string answer = Hex(sized) + " length " + std::to_string(length);
        if (sized != S_OK) return Record(call, answer, Hex(sized));
        const std::u16string untouched(static_cast<size_t>(length) + 1, u'#');
        std::u16string buffer = untouched;
        int room = length;
        answer += ", short " + Hex(read(buffer.data(), &room)) + " " + std::to_string(room) +
                  (buffer == untouched ? " untouched" : " written");
        room = length + 1;
        const HRESULT tight = read(buffer.data(), &room);
        const std::string text = qptest::Utf8(buffer.c_str());
        answer += ", tight " + Hex(tight) + " " + std::to_string(room) + " '" + text + "'";
        Record(call, answer, tight == S_OK ? text : Hex(tight));
    }

    IMXNamespaceManager* manager_;
    NodeFinder find_;
    std::string label_;
};

using Script = std::function<void(Transcript&)>;

// Asks for every URI's prefixes (up to one past the last) and every prefix's URI.
void AskAll(Transcript& t, const std::vector<std::string>& uris, const std::vector<std::string>& prefixes) {
    for (const std::string& uri : uris) {
        for (LONG index = 0; index < 3; ++index) t.Prefix(uri, index);
    }
    for (const std::string& prefix : prefixes) t.Uri(prefix);
    for (LONG index = 0; index < 5; ++index) t.Declared(index);
}

class HostNamespaceManagerTest : public msxmltest::MsxmlTest {
protected:
    // Runs `script` with the stand-in's manager over the stand-in's DOM and with the host's over
    // the listed DOM, both made from `xml`; expects the same answers and returns the host's.
    Answers Compare(const std::string& xml, const Script& script, Listing listing = Listing::AsMsxml) {
        const Answers reference = RunStandIn(xml, script);
        Answers host = RunHost(xml, script, listing);
        EXPECT_EQ(host.lines, reference.lines);
        return host;
    }

    static Answers RunHost(const std::string& xml, const Script& script, Listing listing) {
        ListedDom dom(xml, listing);
        ComPtr<IMXNamespaceManager> manager;
        EXPECT_EQ(HostNamespaceManager::Create(IID_IMXNamespaceManager, manager.put_void()), S_OK);
        Transcript host(manager.get(), [&dom](const std::string& path) { return dom.Find(path); });
        if (manager) script(host);
        EXPECT_EQ(dom.References(), 0) << "a node is held past the call that read it";
        return host.answers;
    }

    static Answers RunStandIn(const std::string& xml, const Script& script) {
        ComPtr<IXMLDOMDocument2> doc = qptest::LoadDocument(xml);
        ComPtr<IMXNamespaceManager> manager;
        EXPECT_EQ(CoCreateInstance(CLSID_MXNamespaceManager60, nullptr, CLSCTX_INPROC_SERVER, IID_IMXNamespaceManager,
                                   manager.put_void()),
                  S_OK);
        Transcript reference(manager.get(), [&doc](const std::string& path) { return StandInNode(doc.get(), path); });
        if (doc && manager) script(reference);
        return reference.answers;
    }

    static ComPtr<IXMLDOMNode> StandInNode(IXMLDOMDocument2* doc, const std::string& path) {
        ComPtr<IXMLDOMNode> node;
        const size_t slash = path.find('/');
        if (path == "#document") {
            EXPECT_EQ(doc->QueryInterface(IID_IXMLDOMNode, node.put_void()), S_OK);
            return node;
        }
        ComPtr<IXMLDOMElement> element = Only(doc, path.substr(0, slash));
        if (!element || slash == std::string::npos) {
            if (element) {
                EXPECT_EQ(element.QueryTo(IID_IXMLDOMNode, node), S_OK);
            }
            return node;
        }
        if (path.substr(slash + 1) == "#text") {
            EXPECT_EQ(element->get_firstChild(node.put()), S_OK);
            return node;
        }
        ComPtr<IXMLDOMAttribute> attribute;
        Bstr name = B(path.substr(slash + 2));
        EXPECT_EQ(element->getAttributeNode(name.get(), attribute.put()), S_OK) << path;
        if (attribute) {
            EXPECT_EQ(attribute.QueryTo(IID_IXMLDOMNode, node), S_OK);
        }
        return node;
    }
};

const std::string kNested = std::string("<psf:PrintTicket xmlns:psf='") + kPsf + "' xmlns:psk='" + kPsk +
                            "' xmlns='urn:default' version='1'>"
                            "<psf:Feature name='psk:JobHolePunch' xmlns:inner='urn:inner' xmlns:psk='urn:shadow'"
                            " xmlns:twin='urn:inner'><leaf>text</leaf></psf:Feature></psf:PrintTicket>";
const std::vector<std::string> kNestedUris = {kPsf, kPsk, "urn:shadow", "urn:inner", "urn:default", kXmlNamespace,
                                              "urn:unbound"};
const std::vector<std::string> kNestedPrefixes = {"psf", "psk", "inner", "twin", "", "xml", "xmlns", "nope"};

TEST_F(HostNamespaceManagerTest, NearerDeclarationsShadowFartherOnesInPushedContextsAndAtAGivenNode) {
    const Answers host = Compare(kNested, [](Transcript& t) {
        const std::pair<const char*, bool> contexts[] = {{"leaf", true},          {"psf:Feature", false},
                                                         {"psf:PrintTicket", true}, {"leaf", false},
                                                         {"leaf/#text", true},    {"#document", true}};
        for (const auto& [path, deep] : contexts) {
            t.Section(std::string(path) + (deep ? " deep" : ""));
            t.PushNode(path, deep);
            AskAll(t, kNestedUris, kNestedPrefixes);
            t.Pop();
        }
        t.Section("after");
        t.Pop();
        t.Section("at a node");
        for (const char* path : {"leaf", "leaf/#text", "psf:Feature", "#document"}) {
            for (const std::string& prefix : kNestedPrefixes) t.Uri(prefix, path);
        }
        t.PushNode("leaf", false);
        t.Uri("psf", "leaf");
        t.Uri("psf");
    });
    EXPECT_EQ(host.Said("leaf deep", "getPrefix(urn:inner, 0)"), "inner");
    EXPECT_EQ(host.Said("leaf deep", "getPrefix(urn:inner, 1)"), "twin") << "a second prefix bound to the same URI";
    EXPECT_EQ(host.Said("leaf deep", "getPrefix(urn:inner, 2)"), "80004005");
    EXPECT_EQ(host.Said("leaf deep", std::string("getPrefix(") + kPsk + ", 0)"), "80004005")
        << "its only prefix is rebound nearer";
    EXPECT_EQ(host.Said("leaf deep", "getURI(psk)"), "urn:shadow");
    EXPECT_EQ(host.Said("leaf deep", "getPrefix(urn:default, 0)"), "") << "the default namespace's prefix is empty";
    EXPECT_EQ(host.Said("leaf deep", std::string("getPrefix(") + kXmlNamespace + ", 0)"), "xml");
    EXPECT_EQ(host.Said("psf:Feature", "getURI(psf)"), "80004005") << "an ancestor's, not taken without deep";
    EXPECT_EQ(host.Said("psf:Feature", "getURI(twin)"), "urn:inner");
    EXPECT_EQ(host.Said("after", "popContext"), "80004005") << "only the base context was left";
    EXPECT_EQ(host.Said("at a node", "getURI(psk at leaf)"), "urn:shadow");
    EXPECT_EQ(host.Said("at a node", "getURI(psf)"), "80004005") << "a look-up at a node pushes nothing";
}

TEST_F(HostNamespaceManagerTest, AnEmptyDefaultDeclarationUndeclaresAndNonAsciiTextIsCountedInUtf16) {
    const std::string xml =
        "<r xmlns='urn:default' xmlns:d='urn:other'><u xmlns=''><g xmlns:e='urn:default'"
        " xmlns:\xC3\xBC\xF0\x9D\x84\x9E='urn:wide'/></u></r>";
    const std::vector<std::string> uris = {"urn:default", "urn:other", "urn:wide"};
    const std::vector<std::string> prefixes = {"", "d", "e", "\xC3\xBC\xF0\x9D\x84\x9E"};
    const Answers host = Compare(xml, [&](Transcript& t) {
        for (const char* path : {"r", "u", "g"}) {
            t.Section(path);
            t.PushNode(path, true);
            AskAll(t, uris, prefixes);
            t.Pop();
            for (const std::string& prefix : prefixes) t.Uri(prefix, path);
        }
    });
    EXPECT_EQ(host.Said("r", "getPrefix(urn:default, 0)"), "");
    EXPECT_EQ(host.Said("u", "getPrefix(urn:default, 0)"), "80004005") << "xmlns='' undeclares it";
    EXPECT_EQ(host.Said("u", "getURI()"), "80004005");
    EXPECT_EQ(host.Said("u", "getURI( at u)"), "80004005");
    EXPECT_EQ(host.Said("g", "getPrefix(urn:default, 0)"), "e");
    EXPECT_NE(std::find(host.lines.begin(), host.lines.end(),
                        "g | getPrefix(urn:wide, 0): 00000000 length 3, short C00CE226 3 untouched, tight 00000000 3 "
                        "'\xC3\xBC\xF0\x9D\x84\x9E'"),
              host.lines.end())
        << "two characters, the second two UTF-16 units";
}

TEST_F(HostNamespaceManagerTest, PushedAndDeclaredContextsStackAndPopInBalance) {
    Compare(kNested, [](Transcript& t) {
        t.PushNode("psf:PrintTicket", true);
        t.Push();
        t.Declare("psk", "urn:declared");
        t.Declare("extra", "urn:inner");
        t.Declare(nullptr, "urn:unprefixed");
        AskAll(t, {kPsk, "urn:declared", "urn:inner", "urn:unprefixed", "urn:default"}, {"psk", "extra", ""});
        t.PushNode("leaf", true);
        AskAll(t, {"urn:declared", "urn:inner"}, {"psk", "extra"});
        for (int i = 0; i < 4; ++i) t.Pop();
        AskAll(t, {kPsf, "urn:declared"}, {"psf", "extra"});

        t.AllowOverride(false);
        t.Declare("a", "urn:a");
        t.Declare("a", "urn:b");
        t.Declare("xml", "urn:x");
        t.Declare("xmlns", "urn:x");
        t.AllowOverride(true);
        t.Declare("a", "urn:c");
        t.Uri("a");
        t.Push();
        t.Push();
        t.Reset();
        t.Uri("a");
        t.Declared(0);
        t.Pop();
    });
}

TEST_F(HostNamespaceManagerTest, AttributesThatDeclareNothingArePassedOver) {
    const std::string xml =
        "<r xmlns:a='urn:a' xmlnsx='urn:not' xml:lang='en' name='xmlns:q' a:xmlns='urn:also-not' a:b='urn:a'/>";
    const Answers host = Compare(xml, [](Transcript& t) {
        t.PushNode("r", true);
        AskAll(t, {"urn:a", "urn:not", "urn:also-not", "en"}, {"a", "q", "x", "", "xmlnsx"});
        t.Pop();
    });
    EXPECT_EQ(host.Said("", "getDeclaredPrefix(0)"), "a");
    EXPECT_EQ(host.Said("", "getDeclaredPrefix(1)"), "80004005") << "the only declaration";
}

TEST_F(HostNamespaceManagerTest, ArgumentsAreCheckedAsTheStandInChecksThem) {
    Compare(kNested, [](Transcript& t) {
        IMXNamespaceManager* m = t.Manager();
        int count = 3;
        WCHAR buffer[4] = {};
        t.PushNode("", true);
        t.Call("getPrefix null uri", m->getPrefix(nullptr, 0, buffer, &count));
        t.Call("getPrefix empty uri", m->getPrefix(W(""), 0, buffer, &count));
        t.Call("getPrefix negative index", m->getPrefix(W("urn:a"), -1, buffer, &count));
        t.Call("getPrefix null count", m->getPrefix(W("urn:a"), 0, buffer, nullptr));
        t.Call("getURI null prefix", m->getURI(nullptr, nullptr, buffer, &count));
        t.Call("getURI null count", m->getURI(W("a"), nullptr, buffer, nullptr));
        t.Call("getDeclaredPrefix negative index", m->getDeclaredPrefix(-1, buffer, &count));
        t.Call("getDeclaredPrefix null count", m->getDeclaredPrefix(0, buffer, nullptr));
        t.Call("declarePrefix null uri", m->declarePrefix(W("a"), nullptr));
        t.Call("getAllowOverride null", m->getAllowOverride(nullptr));
        ComPtr<IUnknown> other;
        t.Call("QueryInterface IXMLDOMNode", m->QueryInterface(IID_IXMLDOMNode, other.put_void()));
        t.Call("QueryInterface IUnknown", m->QueryInterface(IID_IUnknown, other.put_void()));
        t.Call("same object", other.get() == static_cast<IUnknown*>(m) ? S_OK : S_FALSE);
    });
}

TEST_F(HostNamespaceManagerTest, WinesListingOfAnElementWithDeclarationsAloneIsReadWhole) {
    const std::string xml = "<r xmlns:a='urn:a' xmlns:b='urn:b' xmlns:c='urn:c'><s xmlns:d='urn:a'/></r>";
    const Answers host = Compare(
        xml,
        [](Transcript& t) {
            t.Section("s deep");
            t.PushNode("s", true);
            AskAll(t, {"urn:a", "urn:b", "urn:c"}, {"a", "b", "c", "d"});
        },
        Listing::AsWine);
    EXPECT_EQ(host.Said("s deep", "getURI(c)"), "urn:c") << "the declaration listed past the length";
    EXPECT_EQ(host.Said("s deep", "getPrefix(urn:a, 1)"), "a");
    EXPECT_EQ(host.Said("s deep", "getDeclaredPrefix(1)"), "a") << "the repeated first declaration taken once";
}

TEST_F(HostNamespaceManagerTest, AnAttributeNodeGivesAnEmptyContextSinceTheDomGivesItNoParent) {
    ListedDom dom(kNested);
    ComPtr<IMXNamespaceManager> manager;
    ASSERT_EQ(HostNamespaceManager::Create(IID_IMXNamespaceManager, manager.put_void()), S_OK);
    Transcript t(manager.get(), [&dom](const std::string& path) { return dom.Find(path); });
    t.PushNode("psf:Feature/@name", true);
    t.Uri("psk");
    t.Declared(0);
    EXPECT_EQ(t.answers.Said("", "pushNodeContext(psf:Feature/@name, deep)"), "00000000");
    EXPECT_EQ(t.answers.Said("", "getURI(psk)"), "80004005")
        << "the stand-in's manager, which sees the owner element, says urn:shadow";
    EXPECT_EQ(t.answers.Said("", "getDeclaredPrefix(0)"), "80004005");
    EXPECT_EQ(dom.References(), 0);
}

TEST_F(HostNamespaceManagerTest, AReadThatFailsPushesNothingAndLeavesNothingBehind) {
    ListedDom dom(kNested);
    ComPtr<IMXNamespaceManager> manager;
    ASSERT_EQ(HostNamespaceManager::Create(IID_IMXNamespaceManager, manager.put_void()), S_OK);
    ComPtr<IXMLDOMNode> leaf = dom.Find("leaf");
    for (uint64_t n = 1;; ++n) {
        const PortableLedger before = PortableLedgerRead();
        PortableFaultArm(n);
        const HRESULT pushed = manager->pushNodeContext(leaf.get(), VARIANT_TRUE);
        const bool fired = PortableFaultFired();
        PortableFaultDisarm();
        EXPECT_EQ(dom.References(), 1) << "only the test's, at allocation " << n;
        EXPECT_LEDGER_BALANCED(before) << "at allocation " << n;
        if (!fired) {
            EXPECT_EQ(pushed, S_OK);
            EXPECT_EQ(manager->popContext(), S_OK);
            break;
        }
        EXPECT_EQ(pushed, E_OUTOFMEMORY) << "at allocation " << n;
        EXPECT_EQ(manager->popContext(), E_FAIL) << "a context was pushed at allocation " << n;
        if (HasFailure()) break;
    }
}

TEST_F(HostNamespaceManagerTest, TheCoreHelperKeepsTheRuntimesManagerWhereItReadsNodeScopes) {
    // Allocations the probe is refused leave nothing and settle nothing (they fire only while
    // the process has not settled).
    for (uint64_t n = 1;; ++n) {
        const PortableLedger before = PortableLedgerRead();
        PortableFaultArm(n);
        ComPtr<CoreHelperStub> stub = CoreHelperStub::Create();
        const bool fired = PortableFaultFired();
        PortableFaultDisarm();
        stub.reset();
        EXPECT_LEDGER_BALANCED(before) << "at allocation " << n;
        if (!fired || HasFailure()) break;
    }
    ComPtr<CoreHelperStub> stub = CoreHelperStub::Create();
    const PortableLedger before = PortableLedgerRead();
    ComPtr<IMXNamespaceManager> manager;
    ASSERT_EQ(stub->CreateInstanceOfMSXMLObject(CLSID_MXNamespaceManager60, nullptr, 0, IID_IMXNamespaceManager,
                                                manager.put_void()),
              S_OK);
    EXPECT_EQ(PortableLedgerRead().domObjects, before.domObjects + 1) << "the stand-in's manager is a counted object";
}

}  // namespace
