// Shared helpers of the MSXML stand-in suites: documents from UTF-8 literals, node creation,
// serialization re-parsed independently, and the ledger check after every case.
#pragma once

#include "support/ledger_check.h"
#include "support/xml_assert.h"

#include <platform/com_ptr.h>

#include <string>

namespace msxmltest {

inline constexpr const char* kPsf = "http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework";
inline constexpr const char* kPsk = "http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords";

class MsxmlTest : public LedgerTest {
protected:
    static qp::Bstr B(const std::string& utf8) { return qp::Bstr::Copy(qptest::Utf16(utf8).c_str()); }

    static qp::ComPtr<IXMLDOMDocument2> NewDocument() {
        qp::ComPtr<IXMLDOMDocument2> doc;
        EXPECT_EQ(CoCreateInstance(CLSID_DOMDocument60, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument2,
                                   doc.put_void()),
                  S_OK);
        return doc;
    }

    static qp::ComPtr<IXMLDOMElement> Root(IXMLDOMDocument2* doc) {
        qp::ComPtr<IXMLDOMElement> root;
        EXPECT_EQ(doc->get_documentElement(root.put()), S_OK);
        return root;
    }

    // createNode with a VT_I4 type; an empty uri passes null.
    static qp::ComPtr<IXMLDOMNode> Create(IXMLDOMDocument2* doc, DOMNodeType type, const std::string& name,
                                      const std::string& uri) {
        qp::ComPtr<IXMLDOMNode> node;
        qp::Bstr bname = B(name);
        qp::Bstr buri = uri.empty() ? qp::Bstr() : B(uri);
        qp::Variant kind = qp::Variant::Int32(type);
        EXPECT_EQ(doc->createNode(kind.get(), bname.get(), buri.get(), node.put()), S_OK) << name;
        return node;
    }

    // The only descendant element named `name` as written (fails the test when not exactly one).
    static qp::ComPtr<IXMLDOMElement> Only(IXMLDOMNode* scope, const std::string& name) {
        qp::ComPtr<IXMLDOMNodeList> list;
        qp::Bstr bname = B(name);
        qp::ComPtr<IXMLDOMElement> element;
        qp::ComPtr<IXMLDOMDocument2> doc;
        if (scope->QueryInterface(IID_IXMLDOMDocument2, doc.put_void()) == S_OK) {
            EXPECT_EQ(doc->getElementsByTagName(bname.get(), list.put()), S_OK);
        } else {
            EXPECT_EQ(scope->QueryInterface(IID_IXMLDOMElement, element.put_void()), S_OK);
            EXPECT_EQ(element->getElementsByTagName(bname.get(), list.put()), S_OK);
        }
        LONG length = -1;
        EXPECT_EQ(list->get_length(&length), S_OK);
        EXPECT_EQ(length, 1) << name;
        qp::ComPtr<IXMLDOMNode> node;
        qp::ComPtr<IXMLDOMElement> found;
        if (list->get_item(0, node.put()) == S_OK) {
            EXPECT_EQ(node.QueryTo(IID_IXMLDOMElement, found), S_OK);
        }
        return found;
    }

    static std::string Text(IXMLDOMNode* node) {
        qp::Bstr text;
        EXPECT_EQ(node->get_text(text.put()), S_OK);
        return text ? qptest::Utf8(text.get()) : std::string();
    }

    static std::string Xml(IXMLDOMNode* node) { return qptest::SerializeUtf8(node); }
};

// One loaded document and its root element, released before the ledger is checked.
class DocumentFixture : public MsxmlTest {
protected:
    void Load(const std::string& utf8) {
        doc_ = qptest::LoadDocument(utf8);
        ASSERT_TRUE(doc_);
        root_ = Root(doc_.get());
    }
    void TearDown() override {
        root_.reset();
        doc_.reset();
        MsxmlTest::TearDown();
    }

    qp::ComPtr<IXMLDOMDocument2> doc_;
    qp::ComPtr<IXMLDOMElement> root_;
};

}  // namespace msxmltest
