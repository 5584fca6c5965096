#include "schema_fixture.h"

#include <common/constants.h>

using qp::Bstr;
using qp::ComPtr;

namespace schematest {

namespace {
std::string Declare(const char* prefix, const WCHAR* uri) {
    const std::string attribute = *prefix ? std::string("xmlns:") + prefix : std::string("xmlns");
    return " " + attribute + "=\"" + qptest::Utf8(uri) + "\"";
}
}  // namespace

const std::string kOddPrefixes = Declare("f", qp::kPsfNamespace) + Declare("k", qp::kPskNamespace) +
                                 Declare("q", qp::kPrivateNamespace) + Declare("s", qp::kXsiNamespace) +
                                 Declare("t", qp::kXsdNamespace);

const std::string kPrivateDefault = Declare("f", qp::kPsfNamespace) + Declare("k", qp::kPskNamespace) +
                                    Declare("", qp::kPrivateNamespace) + Declare("s", qp::kXsiNamespace) +
                                    Declare("t", qp::kXsdNamespace);

std::string Ticket(const std::string& body, const std::string& declarations) {
    const bool psfDefault = declarations.find("xmlns=\"" + qptest::Utf8(qp::kPsfNamespace)) != std::string::npos;
    const std::string root = psfDefault ? "PrintTicket" : "f:PrintTicket";
    return "<" + root + declarations + " version=\"1\">" + body + "</" + root + ">";
}

std::u16string Text(BSTR s) { return s ? std::u16string(s) : u"(null)"; }

void SchemaTest::SetUp() {
    LedgerTest::SetUp();
    helper_ = CoreHelperStub::Create();
}

void SchemaTest::TearDown() {
    wrapper_.reset();
    doc_.reset();
    helper_.reset();
    LedgerTest::TearDown();
}

void SchemaTest::Load(const std::string& xml) {
    wrapper_.reset();
    doc_ = qptest::LoadDocument(xml);
    ASSERT_TRUE(doc_);
    wrapper_ = std::make_unique<qp::SchemaDocument>(doc_.get(), helper_.get());
    ASSERT_EQ(wrapper_->GetStatus(), S_OK);
}

ComPtr<IXMLDOMElement> SchemaTest::Nth(const char16_t* qname, LONG index) const {
    Bstr name = Bstr::Copy(qname);
    ComPtr<IXMLDOMNodeList> list;
    ComPtr<IXMLDOMNode> node;
    ComPtr<IXMLDOMElement> element;
    EXPECT_EQ(Root()->getElementsByTagName(name.get(), list.put()), S_OK);
    EXPECT_EQ(list->get_item(index, node.put()), S_OK);
    if (node) {
        EXPECT_EQ(node.QueryTo(IID_IXMLDOMElement, element), S_OK);
    }
    return element;
}

std::unique_ptr<qptest::XmlDoc> SchemaTest::Output() const {
    auto output = std::make_unique<qptest::XmlDoc>(qptest::SerializeUtf8(doc_.get()));
    EXPECT_TRUE(output->valid()) << output->error();
    return output;
}

}  // namespace schematest
