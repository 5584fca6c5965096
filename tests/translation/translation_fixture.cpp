#include "translation_fixture.h"

#include <sstream>

using qp::ComPtr;

namespace translationtest {

std::string RootDeclarations(const std::string& privatePrefix, const std::string& omit) {
    const std::pair<std::string, std::string> declarations[] = {
        {"psf", kPsfUri},
        {"psk", kPskUri},
        {"xsi", "http://www.w3.org/2001/XMLSchema-instance"},
        {"xsd", "http://www.w3.org/2001/XMLSchema"},
        {privatePrefix, qptest::kPrivateNamespaceUtf8},
    };
    const std::string omitted = " " + omit + " ";
    std::string text;
    for (const auto& [prefix, uri] : declarations) {
        if (omitted.find(" " + prefix + " ") != std::string::npos) continue;
        text += " xmlns:" + prefix + "=\"" + uri + "\"";
    }
    return text;
}

std::string Document(const std::string& body, const std::string& declarations, const std::string& root) {
    return "<" + root + declarations + " version=\"1\">" + body + "</" + root + ">";
}

std::string Feature(const std::string& name, const std::string& children) {
    return "<psf:Feature name=\"" + name + "\">" + children + "</psf:Feature>";
}

std::string Option(const std::string& name, const std::string& children) {
    return "<psf:Option name=\"" + name + "\">" + children + "</psf:Option>";
}

std::string ScoredProperty(const std::string& name, const std::string& text, const std::string& type) {
    return "<psf:ScoredProperty name=\"" + name + "\"><psf:Value xsi:type=\"" + type + "\">" + text +
           "</psf:Value></psf:ScoredProperty>";
}

void TranslationTest::SetUp() {
    LedgerTest::SetUp();
    helper_ = CoreHelperStub::Create();
    provider_ = new qp::PrintTicketProvider();
    ASSERT_EQ(provider_->PublishPrintTicketHelperInterface(helper_.get()), S_OK);
}

void TranslationTest::TearDown() {
    if (provider_ != nullptr) {
        EXPECT_EQ(provider_->Release(), 0u);
        provider_ = nullptr;
    }
    if (helper_) {
        EXPECT_EQ(helper_->RefCount(), 1u) << "the provider kept a core helper reference";
        helper_.reset();
    }
    LedgerTest::TearDown();
}

ComPtr<IXMLDOMDocument2> TranslationTest::Load(const std::string& xml) { return qptest::LoadDocument(xml); }

bool TranslationTest::RunPass(bool (qp::PrintTicketProvider::*pass)(qp::SchemaDocument&), IXMLDOMDocument2* document) {
    qp::SchemaDocument wrapper(document, helper_.get());
    EXPECT_EQ(wrapper.GetStatus(), S_OK);
    return (provider_->*pass)(wrapper);
}

void TranslationTest::ExpectUnchanged(bool (qp::PrintTicketProvider::*pass)(qp::SchemaDocument&),
                                      const std::string& xml, bool result) {
    auto document = Load(xml);
    ASSERT_TRUE(document);
    const std::string before = Text(document.get());
    EXPECT_EQ(RunPass(pass, document.get()), result);
    EXPECT_EQ(Text(document.get()), before);
}

std::string TranslationTest::Text(IXMLDOMDocument2* document) { return qptest::SerializeUtf8(document); }

}  // namespace translationtest
