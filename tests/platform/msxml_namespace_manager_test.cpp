// The namespace manager over node contexts: the two-call length protocol, scope and shadowing,
// and what unbound names give.
#include "msxml_fixture.h"

using qp::ComPtr;

namespace msxmltest {
namespace {

constexpr const char* kDocument =
    "<psf:PrintTicket xmlns:psf=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework\""
    " xmlns:psk=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords\""
    " xmlns=\"urn:default\">"
    "<psf:Feature xmlns:inner=\"urn:inner\" xmlns:psk=\"urn:shadow\" xmlns:twin=\"urn:inner\">"
    "<leaf/></psf:Feature></psf:PrintTicket>";

class NamespaceManagerTest : public DocumentFixture {
protected:
    void SetUp() override {
        DocumentFixture::SetUp();
        ASSERT_EQ(CoCreateInstance(CLSID_MXNamespaceManager60, nullptr, CLSCTX_INPROC_SERVER, IID_IMXNamespaceManager,
                                   manager_.put_void()),
                  S_OK);
        Load(kDocument);
        feature_ = Only(root_.get(), "psf:Feature");
        leaf_ = Only(root_.get(), "leaf");
    }
    void TearDown() override {
        manager_.reset();
        leaf_.reset();
        feature_.reset();
        DocumentFixture::TearDown();
    }

    // The two calls the plug-in makes: the length, then the text into length + 1 characters.
    template <class Call>
    static HRESULT TwoCalls(Call call, std::string& text) {
        int length = 0;
        HRESULT hr = call(nullptr, &length);
        if (hr != S_OK) return hr;
        std::u16string buffer(static_cast<size_t>(length) + 1, u'?');
        int room = length + 1;
        hr = call(buffer.data(), &room);
        if (hr != S_OK) return hr;
        EXPECT_EQ(buffer[static_cast<size_t>(length)], 0) << "the text is terminated";
        text = qptest::Utf8(buffer.c_str());
        return hr;
    }

    HRESULT Prefix(const std::string& uri, std::string& prefix, LONG index = 0) {
        const std::u16string wide = qptest::Utf16(uri);
        return TwoCalls([&](WCHAR* buffer, int* count) { return manager_->getPrefix(wide.c_str(), index, buffer, count); },
                        prefix);
    }

    HRESULT Uri(const std::string& prefix, std::string& uri, IXMLDOMNode* node = nullptr) {
        const std::u16string wide = qptest::Utf16(prefix);
        return TwoCalls([&](WCHAR* buffer, int* count) { return manager_->getURI(wide.c_str(), node, buffer, count); },
                        uri);
    }

    ComPtr<IMXNamespaceManager> manager_;
    ComPtr<IXMLDOMElement> feature_;
    ComPtr<IXMLDOMElement> leaf_;
};

TEST_F(NamespaceManagerTest, RootDeclarationsGivePrefixesAndTheDefaultNamespaceGivesEmpty) {
    ASSERT_EQ(manager_->pushNodeContext(root_.get(), VARIANT_TRUE), S_OK);
    std::string prefix;
    EXPECT_EQ(Prefix(kPsk, prefix), S_OK);
    EXPECT_EQ(prefix, "psk");
    EXPECT_EQ(Prefix("urn:default", prefix), S_OK);
    EXPECT_EQ(prefix, "");
    EXPECT_EQ(Prefix("urn:inner", prefix), E_FAIL) << "declared below the root only";
    EXPECT_EQ(Prefix("http://www.w3.org/XML/1998/namespace", prefix), S_OK);
    EXPECT_EQ(prefix, "xml") << "always bound";

    const std::u16string psk = qptest::Utf16(kPsk);
    WCHAR small[3] = {u'?', u'?', u'?'};
    int room = 3;
    EXPECT_EQ(manager_->getPrefix(psk.c_str(), 0, small, &room), E_XML_BUFFERTOOSMALL)
        << "the terminator needs room too";
    EXPECT_EQ(small[0], u'?');
    EXPECT_EQ(manager_->getPrefix(psk.c_str(), 0, nullptr, nullptr), E_POINTER);
    int length = 0;
    EXPECT_EQ(manager_->getPrefix(nullptr, 0, nullptr, &length), E_INVALIDARG);
    EXPECT_EQ(manager_->getPrefix(u"", 0, nullptr, &length), E_INVALIDARG);
    length = 77;
    EXPECT_EQ(manager_->getPrefix(u"urn:unbound", 0, nullptr, &length), E_FAIL);
    EXPECT_EQ(length, 77) << "no prefix for an unbound namespace";
    EXPECT_EQ(manager_->popContext(), S_OK);
}

TEST_F(NamespaceManagerTest, DeepContextsShadowFartherDeclarationsAndShallowOnesSeeOnlyTheNode) {
    ASSERT_EQ(manager_->pushNodeContext(leaf_.get(), VARIANT_TRUE), S_OK);
    std::string value;
    EXPECT_EQ(Uri("psk", value), S_OK);
    EXPECT_EQ(value, "urn:shadow");
    EXPECT_EQ(Prefix(kPsk, value), E_FAIL) << "its only prefix is rebound nearer";
    EXPECT_EQ(Prefix("urn:inner", value, 0), S_OK);
    EXPECT_EQ(value, "inner");
    EXPECT_EQ(Prefix("urn:inner", value, 1), S_OK);
    EXPECT_EQ(value, "twin");
    EXPECT_EQ(Prefix("urn:inner", value, 2), E_FAIL);
    EXPECT_EQ(Uri("", value), S_OK);
    EXPECT_EQ(value, "urn:default");
    EXPECT_EQ(manager_->popContext(), S_OK);

    ASSERT_EQ(manager_->pushNodeContext(feature_.get(), VARIANT_FALSE), S_OK);
    EXPECT_EQ(Uri("inner", value), S_OK);
    EXPECT_EQ(Uri("psf", value), E_FAIL) << "declared on an ancestor, not taken without deep";
    EXPECT_EQ(manager_->popContext(), S_OK);
    EXPECT_EQ(manager_->popContext(), E_FAIL) << "nothing left to pop";
    EXPECT_EQ(Uri("inner", value), E_FAIL) << "the pop restored the empty context";
}

TEST_F(NamespaceManagerTest, UrisByPrefixForTheCurrentContextOrAGivenNode) {
    std::string value;
    EXPECT_EQ(Uri("psf", value, leaf_.get()), S_OK);
    EXPECT_EQ(value, kPsf);
    EXPECT_EQ(Uri("xml", value), S_OK);
    EXPECT_EQ(value, "http://www.w3.org/XML/1998/namespace");
    int length = 5;
    EXPECT_EQ(manager_->getURI(u"xmlns", nullptr, nullptr, &length), S_FALSE);
    EXPECT_EQ(manager_->getURI(u"nope", leaf_.get(), nullptr, &length), E_FAIL);
    EXPECT_EQ(manager_->getURI(nullptr, nullptr, nullptr, &length), E_INVALIDARG);
    EXPECT_EQ(manager_->getURI(u"psf", nullptr, nullptr, nullptr), E_POINTER);
    EXPECT_EQ(manager_->pushNodeContext(nullptr, VARIANT_TRUE), E_INVALIDARG);
}

TEST_F(NamespaceManagerTest, DeclaredPrefixesLiveInTheirContext) {
    EXPECT_EQ(manager_->pushContext(), S_OK);
    EXPECT_EQ(manager_->declarePrefix(u"a", u"urn:a"), S_OK);
    EXPECT_EQ(manager_->declarePrefix(u"xml", u"urn:x"), E_INVALIDARG);
    EXPECT_EQ(manager_->putAllowOverride(VARIANT_FALSE), S_OK);
    EXPECT_EQ(manager_->declarePrefix(u"a", u"urn:b"), E_FAIL);
    WCHAR buffer[4] = {};
    int room = 4;
    EXPECT_EQ(manager_->getDeclaredPrefix(0, buffer, &room), S_OK);
    EXPECT_EQ(qptest::Utf8(buffer), "a");
    EXPECT_EQ(manager_->getDeclaredPrefix(1, buffer, &room), E_FAIL);
    std::string value;
    EXPECT_EQ(Uri("a", value), S_OK);
    EXPECT_EQ(value, "urn:a");
    EXPECT_EQ(manager_->reset(), S_OK);
    EXPECT_EQ(Uri("a", value), E_FAIL);
}

}  // namespace
}  // namespace msxmltest
