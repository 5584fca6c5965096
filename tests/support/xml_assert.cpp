#include "support/xml_assert.h"

#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>
#include <portable/test_support.h>

using qp::Bstr;
using qp::ComPtr;

namespace qptest {
namespace {

xmlDocPtr AsDoc(void* p) { return static_cast<xmlDocPtr>(p); }

struct XPathResult {
    xmlXPathContextPtr ctx = nullptr;
    xmlXPathObjectPtr obj = nullptr;
    ~XPathResult() {
        if (obj) xmlXPathFreeObject(obj);
        if (ctx) xmlXPathFreeContext(ctx);
    }
};

void Evaluate(xmlDocPtr doc, const std::string& xpath, XPathResult& out) {
    out.ctx = xmlXPathNewContext(doc);
    static const char* const kPrefixes[][2] = {
        {"psf", "http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework"},
        {"psk", "http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords"},
        {"xsi", "http://www.w3.org/2001/XMLSchema-instance"},
        {"xsd", "http://www.w3.org/2001/XMLSchema"},
        {"pv", kPrivateNamespaceUtf8},
    };
    for (const auto& p : kPrefixes) {
        xmlXPathRegisterNs(out.ctx, reinterpret_cast<const xmlChar*>(p[0]), reinterpret_cast<const xmlChar*>(p[1]));
    }
    out.obj = xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>(xpath.c_str()), out.ctx);
    EXPECT_NE(out.obj, nullptr) << "bad XPath: " << xpath;
}

std::string NodeString(xmlNodePtr node) {
    xmlChar* s = xmlNodeGetContent(node);
    std::string text = s ? reinterpret_cast<const char*>(s) : "";
    xmlFree(s);
    return text;
}

}  // namespace

XmlDoc::XmlDoc(const std::string& bytes, Encoding encoding) {
    xmlDocPtr doc = xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), "output.xml",
                                  encoding == Encoding::Utf8 ? "UTF-8" : nullptr,
                                  XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_HUGE);
    if (!doc) {
        const xmlError* e = xmlGetLastError();
        error_ = e && e->message ? e->message : "not well-formed";
        return;
    }
    doc_ = doc;
}

XmlDoc::~XmlDoc() {
    if (doc_) xmlFreeDoc(AsDoc(doc_));
}

std::string XmlDoc::DeclaredEncoding() const {
    if (!doc_) return {};
    // libxml2 notes a missing XML declaration as standalone -1.
    if (AsDoc(doc_)->standalone == -1) return "(none)";
    return AsDoc(doc_)->encoding ? reinterpret_cast<const char*>(AsDoc(doc_)->encoding) : "";
}

int XmlDoc::Count(const std::string& xpath) const {
    if (!doc_) return -1;
    XPathResult r;
    Evaluate(AsDoc(doc_), xpath, r);
    if (!r.obj || r.obj->type != XPATH_NODESET || !r.obj->nodesetval) return 0;
    return r.obj->nodesetval->nodeNr;
}

std::string XmlDoc::Text(const std::string& xpath) const {
    if (!doc_) return {};
    XPathResult r;
    Evaluate(AsDoc(doc_), "string(" + xpath + ")", r);
    if (!r.obj || r.obj->type != XPATH_STRING || !r.obj->stringval) return {};
    return reinterpret_cast<const char*>(r.obj->stringval);
}

std::vector<std::string> XmlDoc::Texts(const std::string& xpath) const {
    std::vector<std::string> texts;
    if (!doc_) return texts;
    XPathResult r;
    Evaluate(AsDoc(doc_), xpath, r);
    if (!r.obj || r.obj->type != XPATH_NODESET || !r.obj->nodesetval) return texts;
    for (int i = 0; i < r.obj->nodesetval->nodeNr; ++i) texts.push_back(NodeString(r.obj->nodesetval->nodeTab[i]));
    return texts;
}

std::string SerializeUtf8(IXMLDOMNode* node) {
    Bstr xml;
    if (node->get_xml(xml.put()) != S_OK || !xml) return {};
    return PortableToUtf8(xml.get(), xml.Length());
}

ComPtr<IXMLDOMDocument2> LoadDocument(const std::string& utf8) {
    ComPtr<IXMLDOMDocument2> doc;
    HRESULT hr = CoCreateInstance(CLSID_DOMDocument60, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument2,
                                  doc.put_void());
    EXPECT_EQ(hr, S_OK) << "CoCreateInstance(DOMDocument60)";
    if (hr != S_OK) return nullptr;
    std::u16string text = Utf16(utf8);
    Bstr source = Bstr::Copy(text.c_str());
    VARIANT_BOOL ok = VARIANT_FALSE;
    hr = doc->loadXML(source.get(), &ok);
    EXPECT_TRUE(hr == S_OK && ok == VARIANT_TRUE) << "document does not load:\n" << utf8;
    if (hr != S_OK || ok != VARIANT_TRUE) return nullptr;
    return doc;
}

std::u16string Utf16(const std::string& utf8) { return PortableFromUtf8(utf8.data(), utf8.size()); }

std::string Utf8(const WCHAR* text) {
    size_t n = 0;
    while (text[n]) ++n;
    return PortableToUtf8(text, n);
}

std::string Utf16LeWithBom(const std::string& utf8) {
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : Utf16(utf8)) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

}  // namespace qptest
