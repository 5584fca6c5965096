// The document object: loading, serialization, parse errors and the parser's safety.
#include "msxml_fixture.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

using qp::Bstr;
using qp::ComPtr;
using qp::Variant;

namespace msxmltest {
namespace {

using qptest::XmlDoc;

constexpr const char* kTicket =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<psf:PrintTicket xmlns:psf=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework\""
    " xmlns:psk=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords\" version=\"1\">\n"
    "  <psf:Feature name=\"psk:JobOutputBin\">\n"
    "    <psf:Option name=\"psk:Tray\"/>\n"
    "  </psf:Feature>\n"
    "</psf:PrintTicket>\n";

class DocumentTest : public MsxmlTest {
protected:
    static ComPtr<IXMLDOMParseError> ParseErrorOf(IXMLDOMDocument2* doc) {
        ComPtr<IXMLDOMParseError> error;
        EXPECT_EQ(doc->get_parseError(error.put()), S_OK);
        return error;
    }

    static std::string Reason(IXMLDOMParseError* error) {
        Bstr reason;
        error->get_reason(reason.put());
        return reason ? qptest::Utf8(reason.get()) : std::string();
    }

    static HRESULT LoadXml(IXMLDOMDocument2* doc, const std::string& utf8, VARIANT_BOOL* ok) {
        Bstr text = B(utf8);
        return doc->loadXML(text.get(), ok);
    }
};

TEST_F(DocumentTest, SerializationKeepsNamesNamespacesAndDeclarationButNoEncoding) {
    ComPtr<IXMLDOMDocument2> doc = qptest::LoadDocument(kTicket);
    ASSERT_TRUE(doc);
    const std::string xml = Xml(doc.get());
    EXPECT_EQ(xml.rfind("<?xml version=\"1.0\"?>", 0), 0u) << xml;
    XmlDoc out(xml);
    ASSERT_TRUE(out.valid()) << out.error();
    EXPECT_EQ(out.Count("/psf:PrintTicket[@version='1']/psf:Feature[@name='psk:JobOutputBin']/psf:Option"), 1);
    EXPECT_EQ(out.Text("//psf:Option/@name"), "psk:Tray");
    EXPECT_NE(xml.find("  <psf:Feature"), std::string::npos) << "whitespace is kept as loaded";

    ComPtr<IXMLDOMDocument2> bare = qptest::LoadDocument("<r><a/></r>");
    ASSERT_TRUE(bare);
    EXPECT_EQ(Xml(bare.get()).rfind("<r>", 0), 0u) << "no declaration appears that the text did not have";
}

TEST_F(DocumentTest, SurrogatePairsAndOtherNonAsciiSurviveLoadAndSerialize) {
    const std::string printer = "\xF0\x9F\x96\xA8";  // U+1F5A8, a surrogate pair in UTF-16
    ComPtr<IXMLDOMDocument2> doc = qptest::LoadDocument("<r a=\"x" + printer + "\">\xC3\xA9" + printer + "</r>");
    ASSERT_TRUE(doc);
    ComPtr<IXMLDOMElement> root = Root(doc.get());
    Bstr text;
    ASSERT_EQ(root->get_text(text.put()), S_OK);
    ASSERT_EQ(text.Length(), 3u);
    EXPECT_EQ(text.get()[0], 0x00E9);
    EXPECT_EQ(text.get()[1], 0xD83D);
    EXPECT_EQ(text.get()[2], 0xDDA8);
    XmlDoc out(Xml(doc.get()));
    ASSERT_TRUE(out.valid()) << out.error();
    EXPECT_EQ(out.Text("/r"), "\xC3\xA9" + printer);
    EXPECT_EQ(out.Text("/r/@a"), "x" + printer);
}

TEST_F(DocumentTest, MalformedTextFailsWithLineColumnSourceAndDiscardsTheOldContent) {
    ComPtr<IXMLDOMDocument2> doc = qptest::LoadDocument("<old/>");
    ASSERT_TRUE(doc);
    VARIANT_BOOL ok = VARIANT_TRUE;
    EXPECT_EQ(LoadXml(doc.get(), "<r>\n  <a>\n  <b></a>\n</r>", &ok), S_FALSE);
    EXPECT_EQ(ok, VARIANT_FALSE);
    ComPtr<IXMLDOMElement> root;
    EXPECT_EQ(doc->get_documentElement(root.put()), S_FALSE);
    EXPECT_FALSE(root);

    ComPtr<IXMLDOMParseError> error = ParseErrorOf(doc.get());
    LONG code = 0, line = 0, column = 0, position = 0;
    EXPECT_EQ(error->get_errorCode(&code), S_OK);
    EXPECT_NE(code, 0);
    EXPECT_EQ(error->get_line(&line), S_OK);
    EXPECT_EQ(line, 3);
    EXPECT_EQ(error->get_linepos(&column), S_OK);
    EXPECT_GT(column, 1);
    EXPECT_EQ(error->get_filepos(&position), S_OK);
    EXPECT_EQ(position, 10 + column - 1) << "UTF-16 offset of the column from the start of the text";
    EXPECT_NE(Reason(error.get()).find("mismatch"), std::string::npos) << Reason(error.get());
    Bstr source;
    EXPECT_EQ(error->get_srcText(source.put()), S_OK);
    EXPECT_EQ(qptest::Utf8(source.get()), "  <b></a>");

    EXPECT_EQ(LoadXml(doc.get(), "<fine/>", &ok), S_OK);
    EXPECT_EQ(ok, VARIANT_TRUE);
    error = ParseErrorOf(doc.get());
    EXPECT_EQ(error->get_errorCode(&code), S_OK);
    EXPECT_EQ(code, 0) << "a success clears the recorded error";
}

TEST_F(DocumentTest, EmptyAndNamespaceMalformedTextAreRefused) {
    ComPtr<IXMLDOMDocument2> doc = NewDocument();
    VARIANT_BOOL ok = VARIANT_TRUE;
    EXPECT_EQ(LoadXml(doc.get(), "", &ok), S_FALSE);
    EXPECT_EQ(LoadXml(doc.get(), "<p:r/>", &ok), S_FALSE) << "an undeclared prefix";
    EXPECT_EQ(LoadXml(doc.get(), "<r xmlns:p=''><p:a/></r>", &ok), S_FALSE) << "an empty namespace bound to a prefix";
    EXPECT_EQ(LoadXml(doc.get(), "<r/><r/>", &ok), S_FALSE);
    EXPECT_EQ(ok, VARIANT_FALSE);
}

// As in Microsoft's own PIN-printing samples, whose printschemakeywordsv11 name begins with a
// space: MSXML does not ask that a namespace name be a URI.
TEST_F(DocumentTest, NamespaceNamesThatAreNotUrisAreTakenAsWritten) {
    const std::string spaced = " http://schemas.microsoft.com/windows/2013/05/printing/printschemakeywordsv11";
    const std::string text = std::string("<psf:PrintTicket xmlns:psf='") + kPsf + "' xmlns:pskv11='" + spaced +
                             "' version='1'><psf:ParameterInit name='pskv11:JobPasscodeString'/>"
                             "<pskv11:Note xmlns:bare='not a uri'><bare:Text/></pskv11:Note></psf:PrintTicket>";
    ComPtr<IXMLDOMDocument2> doc = qptest::LoadDocument(text);
    ASSERT_TRUE(doc);
    Bstr uri;
    ASSERT_EQ(Only(doc.get(), "pskv11:Note")->get_namespaceURI(uri.put()), S_OK);
    EXPECT_EQ(qptest::Utf8(uri.get()), spaced);

    XmlDoc reparsed(Xml(doc.get()));
    EXPECT_EQ(reparsed.Count("/*/*[local-name()='Note' and namespace-uri()='" + spaced + "']"), 1);
    EXPECT_EQ(reparsed.Count("//*[local-name()='Text' and namespace-uri()='not a uri']"), 1);
}

// Such a name may hold what an attribute value must escape; written as it stands, '<' would make
// the output ill-formed and a line break would come back as a space.
TEST_F(DocumentTest, NamespaceNamesAreEscapedWhereTheyAreWritten) {
    ComPtr<IXMLDOMDocument2> doc =
        qptest::LoadDocument("<r xmlns:odd='a&lt;b&#10;d&#9;e'><odd:x/><y xmlns='&lt;default'/></r>");
    ASSERT_TRUE(doc);
    XmlDoc reparsed(Xml(doc.get()));
    ASSERT_TRUE(reparsed.valid()) << reparsed.error();
    EXPECT_EQ(reparsed.Count("//*[local-name()='x' and namespace-uri()='a<b\nd\te']"), 1);
    EXPECT_EQ(reparsed.Count("//*[local-name()='y' and namespace-uri()='<default']"), 1);
    EXPECT_EQ(Xml(doc.get()), Xml(doc.get())) << "the names are as they were after a write";
}

class ParserSafetyTest : public DocumentTest {
protected:
    void SetUp() override {
        DocumentTest::SetUp();
        path_ = ::testing::TempDir() + "msxml_secret.txt";
        std::ofstream(path_) << "TOP-SECRET";
    }
    void TearDown() override {
        std::remove(path_.c_str());
        DocumentTest::TearDown();
    }
    std::string path_;
};

TEST_F(ParserSafetyTest, DtdIsRefusedUnlessAllowedAndExternalEntitiesAreNeverRead) {
    const std::string text = "<!DOCTYPE r [<!ENTITY x SYSTEM \"file://" + path_ + "\">]>\n<r>&x;<a/></r>";
    ComPtr<IXMLDOMDocument2> doc = NewDocument();
    VARIANT_BOOL ok = VARIANT_TRUE;
    EXPECT_EQ(LoadXml(doc.get(), text, &ok), S_FALSE);
    ComPtr<IXMLDOMParseError> error = ParseErrorOf(doc.get());
    EXPECT_NE(Reason(error.get()).find("DTD"), std::string::npos) << Reason(error.get());

    Bstr name = B("ProhibitDTD");
    Variant no;
    no.get().vt = VT_BOOL;
    no.get().boolVal = VARIANT_FALSE;
    ASSERT_EQ(doc->setProperty(name.get(), no.get()), S_OK);
    ASSERT_EQ(LoadXml(doc.get(), text, &ok), S_OK);
    ComPtr<IXMLDOMElement> root = Root(doc.get());
    EXPECT_EQ(Text(root.get()).find("TOP-SECRET"), std::string::npos);
    EXPECT_EQ(Xml(doc.get()).find("TOP-SECRET"), std::string::npos);
}

TEST_F(ParserSafetyTest, EntityExpansionIsBounded) {
    std::string text = "<!DOCTYPE r [<!ENTITY a \"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\">";
    for (char c = 'b'; c <= 'k'; ++c) {
        const std::string previous(1, static_cast<char>(c - 1));
        text += std::string("<!ENTITY ") + c + " \"";
        for (int i = 0; i < 10; ++i) text += "&" + previous + ";";
        text += "\">";
    }
    text += "]><r a=\"&k;\"/>";
    ComPtr<IXMLDOMDocument2> doc = NewDocument();
    Bstr name = B("ProhibitDTD");
    Variant no;
    no.get().vt = VT_BOOL;
    no.get().boolVal = VARIANT_FALSE;
    ASSERT_EQ(doc->setProperty(name.get(), no.get()), S_OK);
    VARIANT_BOOL ok = VARIANT_TRUE;
    EXPECT_EQ(LoadXml(doc.get(), text, &ok), S_FALSE) << "40 * 10^10 characters must not be expanded";
}

// MSXML 6's second-level limits: MaxElementDepth 256 and MaxXMLSize none unless set (0: none).
class LimitsTest : public DocumentTest {
protected:
    static std::string Nested(int depth) {
        std::string text;
        for (int i = 0; i < depth; ++i) text += "<a>";
        for (int i = 0; i < depth; ++i) text += "</a>";
        return text;
    }
    static LONG Limit(IXMLDOMDocument2* doc, const char* property) {
        Bstr name = B(property);
        Variant value;
        EXPECT_EQ(doc->getProperty(name.get(), value.put()), S_OK);
        EXPECT_EQ(value.get().vt, VT_I4);
        return value.get().lVal;
    }
    static void SetLimit(IXMLDOMDocument2* doc, const char* property, LONG limit) {
        Bstr name = B(property);
        Variant value = Variant::Int32(limit);
        ASSERT_EQ(doc->setProperty(name.get(), value.get()), S_OK);
        EXPECT_EQ(Limit(doc, property), limit);
    }
};

TEST_F(LimitsTest, DepthPastTheBoundFailsTheLoadAtTheStartTagOneLevelTooDeep) {
    ComPtr<IXMLDOMDocument2> doc = NewDocument();
    EXPECT_EQ(Limit(doc.get(), "MaxElementDepth"), 256);
    VARIANT_BOOL ok = VARIANT_FALSE;
    EXPECT_EQ(LoadXml(doc.get(), Nested(256), &ok), S_OK);
    EXPECT_EQ(LoadXml(doc.get(), Nested(257), &ok), S_FALSE);
    EXPECT_EQ(ok, VARIANT_FALSE);
    ComPtr<IXMLDOMParseError> error = ParseErrorOf(doc.get());
    EXPECT_NE(Reason(error.get()).find("256"), std::string::npos) << Reason(error.get());
    EXPECT_NE(Reason(error.get()).find("MaxElementDepth"), std::string::npos) << Reason(error.get());
    LONG line = 0;
    LONG column = 0;
    EXPECT_EQ(error->get_line(&line), S_OK);
    EXPECT_EQ(line, 1);
    EXPECT_EQ(error->get_linepos(&column), S_OK);
    EXPECT_GT(column, 256 * 3) << "at the start tag one level too deep";
    EXPECT_LE(column, 257 * 3 + 1);

    SetLimit(doc.get(), "MaxElementDepth", 100);
    EXPECT_EQ(LoadXml(doc.get(), Nested(100), &ok), S_OK);
    EXPECT_EQ(LoadXml(doc.get(), Nested(101), &ok), S_FALSE);
    SetLimit(doc.get(), "MaxElementDepth", 0);
    EXPECT_EQ(LoadXml(doc.get(), Nested(10'000), &ok), S_OK) << "0 is no limit, libxml2's own included";
    Bstr name = B("MaxElementDepth");
    Variant negative = Variant::Int32(-1);
    EXPECT_EQ(doc->setProperty(name.get(), negative.get()), E_INVALIDARG);
}

TEST_F(LimitsTest, TextPastTheSizeBoundFailsTheLoadAtItsFirstCharacterPastIt) {
    ComPtr<IXMLDOMDocument2> doc = NewDocument();
    EXPECT_EQ(Limit(doc.get(), "MaxXMLSize"), 0);
    // 1,024 characters, two of them beyond ASCII (and so more bytes in UTF-8).
    const std::string fits = "<r>\n" + std::string(1'013, 'x') + "\u00e9\u00e9</r>\n";
    VARIANT_BOOL ok = VARIANT_FALSE;
    EXPECT_EQ(LoadXml(doc.get(), fits + std::string(100'000, ' '), &ok), S_OK);
    SetLimit(doc.get(), "MaxXMLSize", 1);
    EXPECT_EQ(LoadXml(doc.get(), fits, &ok), S_OK);
    EXPECT_EQ(LoadXml(doc.get(), fits + " ", &ok), S_FALSE);
    ComPtr<IXMLDOMParseError> error = ParseErrorOf(doc.get());
    EXPECT_NE(Reason(error.get()).find("MaxXMLSize"), std::string::npos) << Reason(error.get());
    LONG line = 0;
    LONG column = 0;
    EXPECT_EQ(error->get_line(&line), S_OK);
    EXPECT_EQ(error->get_linepos(&column), S_OK);
    EXPECT_EQ(line, 3);
    EXPECT_EQ(column, 1);
}

TEST_F(LimitsTest, ADtdIsProhibitedByDefault) {
    ComPtr<IXMLDOMDocument2> doc = NewDocument();
    Bstr name = B("ProhibitDTD");
    Variant value;
    ASSERT_EQ(doc->getProperty(name.get(), value.put()), S_OK);
    EXPECT_EQ(value.get().vt, VT_BOOL);
    EXPECT_EQ(value.get().boolVal, VARIANT_TRUE);
}

TEST_F(DocumentTest, LoadsAndSavesFilesAndReportsAnUnreadableOne) {
    const std::string in = ::testing::TempDir() + "msxml_in.xml";
    const std::string out = ::testing::TempDir() + "msxml_out.xml";
    std::ofstream(in) << kTicket;
    ComPtr<IXMLDOMDocument2> doc = NewDocument();
    Variant source;
    source.get().vt = VT_BSTR;
    source.get().bstrVal = B(in).detach();
    VARIANT_BOOL ok = VARIANT_FALSE;
    ASSERT_EQ(doc->load(source.get(), &ok), S_OK);
    EXPECT_EQ(ok, VARIANT_TRUE);
    Variant target;
    target.get().vt = VT_BSTR;
    target.get().bstrVal = B(out).detach();
    ASSERT_EQ(doc->save(target.get()), S_OK);
    std::stringstream written;
    written << std::ifstream(out).rdbuf();
    XmlDoc reparsed(written.str());
    EXPECT_EQ(reparsed.Count("//psf:Option"), 1) << written.str();

    Variant missing;
    missing.get().vt = VT_BSTR;
    missing.get().bstrVal = B(in + ".missing").detach();
    EXPECT_EQ(doc->load(missing.get(), &ok), S_FALSE);
    EXPECT_EQ(ok, VARIANT_FALSE);
    ComPtr<IXMLDOMParseError> error = ParseErrorOf(doc.get());
    Bstr url;
    EXPECT_EQ(error->get_url(url.put()), S_OK);
    EXPECT_EQ(qptest::Utf8(url.get()), in + ".missing");
    std::remove(in.c_str());
    std::remove(out.c_str());
}

TEST_F(DocumentTest, ArgumentsAreCheckedAndUnknownPropertiesRefused) {
    ComPtr<IXMLDOMDocument2> doc = NewDocument();
    EXPECT_EQ(doc->get_documentElement(nullptr), E_INVALIDARG);
    ComPtr<IXMLDOMElement> root;
    EXPECT_EQ(doc->get_documentElement(root.put()), S_FALSE) << "a new document has no root";
    Variant kind = Variant::Int32(NODE_ELEMENT);
    Bstr name = B("a");
    EXPECT_EQ(doc->createNode(kind.get(), name.get(), nullptr, nullptr), E_INVALIDARG);
    EXPECT_EQ(doc->get_parseError(nullptr), E_INVALIDARG);

    Bstr unknown = B("NoSuchProperty");
    Variant value;
    EXPECT_EQ(doc->getProperty(unknown.get(), value.put()), E_INVALIDARG);
    Bstr namespaces = B("SelectionNamespaces");
    Variant text;
    text.get().vt = VT_BSTR;
    text.get().bstrVal = B("xmlns:p='urn:p'").detach();
    EXPECT_EQ(doc->setProperty(namespaces.get(), text.get()), S_OK);
    ASSERT_EQ(doc->getProperty(namespaces.get(), value.put()), S_OK);
    EXPECT_EQ(qptest::Utf8(value.get().bstrVal), "xmlns:p='urn:p'");
}

TEST_F(DocumentTest, WhitespaceIsKeptByDefaultAndDroppedOnRequest) {
    ComPtr<IXMLDOMDocument2> doc = qptest::LoadDocument("<r>\n  <a>  x  </a>\n</r>");
    ASSERT_TRUE(doc);
    EXPECT_EQ(Text(Root(doc.get()).get()), "\n    x  \n");
    VARIANT_BOOL preserve = VARIANT_FALSE;
    EXPECT_EQ(doc->get_preserveWhiteSpace(&preserve), S_OK);
    EXPECT_EQ(preserve, VARIANT_TRUE);

    EXPECT_EQ(doc->put_preserveWhiteSpace(VARIANT_FALSE), S_OK);
    VARIANT_BOOL ok = VARIANT_FALSE;
    ASSERT_EQ(LoadXml(doc.get(), "<r>\n  <a>  x  </a>\n</r>", &ok), S_OK);
    EXPECT_EQ(Text(Root(doc.get()).get()), "  x  ");
}

TEST_F(DocumentTest, NodesOfAReplacedTreeStayUsable) {
    ComPtr<IXMLDOMDocument2> doc = qptest::LoadDocument("<old><child>text</child></old>");
    ASSERT_TRUE(doc);
    ComPtr<IXMLDOMElement> oldRoot = Root(doc.get());
    ComPtr<IXMLDOMElement> child = Only(oldRoot.get(), "child");
    VARIANT_BOOL ok = VARIANT_FALSE;
    ASSERT_EQ(LoadXml(doc.get(), "<new/>", &ok), S_OK);
    EXPECT_EQ(Text(child.get()), "text");
    ComPtr<IXMLDOMNode> parent;
    EXPECT_EQ(oldRoot->get_parentNode(parent.put()), S_FALSE) << "the old root now stands alone";
    EXPECT_EQ(doc->appendChild(child.get(), nullptr), E_FAIL) << "a node of the old tree is foreign";
}

TEST_F(DocumentTest, DocumentsWorkConcurrentlyOnSeveralThreads) {
    std::vector<std::thread> threads;
    std::vector<int> matches(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t, &matches] {
            for (int round = 0; round < 50; ++round) {
                ComPtr<IXMLDOMDocument2> doc;
                CoCreateInstance(CLSID_DOMDocument60, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument2,
                                 doc.put_void());
                Bstr text = Bstr::Copy(qptest::Utf16(kTicket).c_str());
                VARIANT_BOOL ok = VARIANT_FALSE;
                if (!doc || doc->loadXML(text.get(), &ok) != S_OK) continue;
                ComPtr<IXMLDOMNodeList> list;
                Bstr name = Bstr::Copy(W("psf:Option"));
                LONG length = 0;
                if (doc->getElementsByTagName(name.get(), list.put()) == S_OK && list->get_length(&length) == S_OK &&
                    XmlDoc(qptest::SerializeUtf8(doc.get())).Count("//psf:Option") == length) {
                    ++matches[t];
                }
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (int count : matches) EXPECT_EQ(count, 50);
}

}  // namespace
}  // namespace msxmltest
