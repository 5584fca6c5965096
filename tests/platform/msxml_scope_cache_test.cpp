// A namespace context pushed again for the same node is reused without reading the declarations
// anew, and ASCII string arguments are narrowed in one copy. Neither may ever answer from a scope
// that has changed, nor take a look-alike for an argument beyond ASCII.
#include "msxml_fixture.h"

#include <vector>

using qp::ComPtr;

namespace msxmltest {
namespace {

class ScopeCacheTest : public MsxmlTest {
protected:
    void SetUp() override {
        MsxmlTest::SetUp();
        ASSERT_EQ(CoCreateInstance(CLSID_MXNamespaceManager60, nullptr, CLSCTX_INPROC_SERVER, IID_IMXNamespaceManager,
                                   manager_.put_void()),
                  S_OK);
    }
    void TearDown() override {
        manager_.reset();
        MsxmlTest::TearDown();
    }

    // The first prefix bound to `uri` in the deep context of `node`, pushed and popped around
    // the two-call protocol, or "<unbound>".
    std::string PrefixAt(IXMLDOMNode* node, const std::u16string& uri) {
        EXPECT_EQ(manager_->pushNodeContext(node, VARIANT_TRUE), S_OK);
        const std::string prefix = Prefix(uri.c_str());
        EXPECT_EQ(manager_->popContext(), S_OK);
        return prefix;
    }

    std::string Prefix(const WCHAR* uri) {
        int length = 0;
        if (manager_->getPrefix(uri, 0, nullptr, &length) != S_OK) return "<unbound>";
        std::vector<WCHAR> buffer(static_cast<size_t>(length) + 1);
        int room = length + 1;
        EXPECT_EQ(manager_->getPrefix(uri, 0, buffer.data(), &room), S_OK);
        return qptest::Utf8(buffer.data());
    }

    std::u16string Uri(const WCHAR* prefix) {
        int length = 0;
        if (manager_->getURI(prefix, nullptr, nullptr, &length) != S_OK) return u"<unbound>";
        std::vector<WCHAR> buffer(static_cast<size_t>(length) + 1);
        int room = length + 1;
        EXPECT_EQ(manager_->getURI(prefix, nullptr, buffer.data(), &room), S_OK);
        return buffer.data();
    }

    static ComPtr<IXMLDOMNode> AsNode(IUnknown* unknown) {
        ComPtr<IXMLDOMNode> node;
        EXPECT_EQ(unknown->QueryInterface(IID_IXMLDOMNode, node.put_void()), S_OK);
        return node;
    }

    ComPtr<IMXNamespaceManager> manager_;
};

TEST_F(ScopeCacheTest, AContextPushedAgainFollowsEveryChangeToWhatIsInScope) {
    auto doc = qptest::LoadDocument("<r xmlns:a='urn:a'><i/></r>");
    ASSERT_TRUE(doc);
    auto root = AsNode(Root(doc.get()).get());
    auto inner = AsNode(Only(doc.get(), "i").get());
    EXPECT_EQ(PrefixAt(inner.get(), u"urn:a"), "a");
    EXPECT_EQ(PrefixAt(inner.get(), u"urn:a"), "a");

    // Moved under an element that binds another prefix to the same namespace: the nearer wins.
    auto middle = Create(doc.get(), NODE_ELEMENT, "b:m", "urn:a");
    ASSERT_EQ(root->appendChild(middle.get(), nullptr), S_OK);
    ASSERT_EQ(middle->appendChild(inner.get(), nullptr), S_OK);
    EXPECT_EQ(PrefixAt(inner.get(), u"urn:a"), "b");

    // A declaration added on an element already in scope.
    auto user = Create(doc.get(), NODE_ELEMENT, "c:u", "urn:c");
    ASSERT_EQ(inner->appendChild(user.get(), nullptr), S_OK);
    EXPECT_EQ(PrefixAt(inner.get(), u"urn:c"), "<unbound>");
    auto attribute = Create(doc.get(), NODE_ATTRIBUTE, "c:x", "urn:c");
    ComPtr<IXMLDOMElement> innerElement;
    ASSERT_EQ(inner.QueryTo(IID_IXMLDOMElement, innerElement), S_OK);
    ComPtr<IXMLDOMAttribute> innerAttribute;
    ASSERT_EQ(attribute.QueryTo(IID_IXMLDOMAttribute, innerAttribute), S_OK);
    ComPtr<IXMLDOMAttribute> replaced;
    ASSERT_TRUE(SUCCEEDED(innerElement->setAttributeNode(innerAttribute.get(), replaced.put())));
    EXPECT_EQ(PrefixAt(inner.get(), u"urn:c"), "c");

    // Nodes freed while the document lives, and new ones made in their place.
    user.reset();
    attribute.reset();
    innerAttribute.reset();
    innerElement.reset();
    inner.reset();
    middle.reset();
    ASSERT_EQ(root->put_text(B("gone").get()), S_OK);
    for (const char* name : {"d:n", "e:n", "f:n"}) {
        auto fresh = Create(doc.get(), NODE_ELEMENT, name, "urn:a");
        ASSERT_EQ(root->appendChild(fresh.get(), nullptr), S_OK);
        EXPECT_EQ(PrefixAt(fresh.get(), u"urn:a"), std::string(name, 1));
        ASSERT_EQ(root->put_text(B("gone").get()), S_OK);
    }

    // Another document loaded into the same object.
    VARIANT_BOOL loaded = VARIANT_FALSE;
    ASSERT_EQ(doc->loadXML(B("<r xmlns:z='urn:a'/>").get(), &loaded), S_OK);
    root = AsNode(Root(doc.get()).get());
    EXPECT_EQ(PrefixAt(root.get(), u"urn:a"), "z");
}

TEST_F(ScopeCacheTest, DocumentsOfTheSameShapeTakenInTurnKeepTheirOwnPrefixes) {
    auto first = qptest::LoadDocument("<r xmlns:one='urn:a'><i/></r>");
    auto second = qptest::LoadDocument("<r xmlns:two='urn:a'><i/></r>");
    ASSERT_TRUE(first && second);
    const ComPtr<IXMLDOMNode> roots[] = {AsNode(Root(first.get()).get()), AsNode(Root(second.get()).get())};
    for (int round = 0; round < 4; ++round) {
        EXPECT_EQ(PrefixAt(roots[0].get(), u"urn:a"), "one");
        EXPECT_EQ(PrefixAt(roots[1].get(), u"urn:a"), "two");
    }
    // A document freed and another parsed, likely at the same addresses.
    for (const char* prefix : {"p", "q", "s"}) {
        auto doc = qptest::LoadDocument(std::string("<r xmlns:") + prefix + "='urn:a'><i/></r>");
        ASSERT_TRUE(doc);
        EXPECT_EQ(PrefixAt(AsNode(Root(doc.get()).get()).get(), u"urn:a"), prefix);
    }
}

TEST_F(ScopeCacheTest, PlainContextsAndNodeContextsShareNothingThroughReuse) {
    auto doc = qptest::LoadDocument("<r xmlns:a='urn:a'/>");
    ASSERT_TRUE(doc);
    auto root = AsNode(Root(doc.get()).get());
    for (int round = 0; round < 3; ++round) {
        ASSERT_EQ(manager_->pushContext(), S_OK);
        ASSERT_EQ(manager_->declarePrefix(u"zz", u"urn:a"), S_OK);
        EXPECT_EQ(Prefix(u"urn:a"), "zz");
        ASSERT_EQ(manager_->popContext(), S_OK);
        EXPECT_EQ(PrefixAt(root.get(), u"urn:a"), "a");

        ASSERT_EQ(manager_->pushContext(), S_OK);
        int count = 0;
        EXPECT_EQ(manager_->getDeclaredPrefix(0, nullptr, &count), E_FAIL) << "a new context is empty";
        EXPECT_EQ(Prefix(u"urn:a"), "<unbound>");
        ASSERT_EQ(manager_->popContext(), S_OK);

        // A declaration made on a node context is not kept for the node's next push.
        ASSERT_EQ(manager_->pushNodeContext(root.get(), VARIANT_TRUE), S_OK);
        ASSERT_EQ(manager_->declarePrefix(u"a", u"urn:other"), S_OK);
        EXPECT_EQ(Prefix(u"urn:a"), "<unbound>");
        ASSERT_EQ(manager_->popContext(), S_OK);
        EXPECT_EQ(PrefixAt(root.get(), u"urn:a"), "a");
    }
    ASSERT_EQ(manager_->reset(), S_OK);
    EXPECT_EQ(Prefix(u"urn:a"), "<unbound>");
    EXPECT_EQ(PrefixAt(root.get(), u"urn:a"), "a");
}

TEST_F(ScopeCacheTest, ArgumentsReadTheSameWhereverTheyLeaveAscii) {
    ASSERT_EQ(manager_->pushContext(), S_OK);
    std::vector<WCHAR> storage(64);
    for (size_t length = 1; length <= 40; ++length) {
        // -1: all ASCII; otherwise where the one character beyond ASCII sits.
        for (long wide = -1; wide < static_cast<long>(length); ++wide) {
            SCOPED_TRACE(testing::Message() << "length " << length << " wide " << wide);
            std::fill(storage.begin(), storage.end(), u'#');
            WCHAR* uri = storage.data();
            for (size_t i = 0; i < length; ++i) uri[i] = static_cast<WCHAR>(u'a' + i % 26);
            if (wide >= 0) uri[wide] = u'\u00e9';
            uri[length] = 0;
            ASSERT_EQ(manager_->declarePrefix(u"p", uri), S_OK);
            EXPECT_EQ(Uri(u"p"), std::u16string(uri, length));
            // Into more room than the text takes in UTF-8 as well.
            std::vector<WCHAR> roomy(64, u'#');
            int room = static_cast<int>(roomy.size());
            ASSERT_EQ(manager_->getURI(u"p", nullptr, roomy.data(), &room), S_OK);
            EXPECT_EQ(room, static_cast<int>(length));
            EXPECT_EQ(std::u16string(roomy.data()), std::u16string(uri, length));
            EXPECT_EQ(Prefix(uri), "p");
            if (wide >= 0) {
                uri[wide] = u'e';
                EXPECT_EQ(Prefix(uri), "<unbound>") << "an ASCII look-alike";
            }
            uri[length - 1] = u'!';
            EXPECT_EQ(Prefix(uri), "<unbound>") << "the last character counts";
        }
    }
    ASSERT_EQ(manager_->popContext(), S_OK);
}

}  // namespace
}  // namespace msxmltest
