// Namespace contexts that reuse the storage of popped ones answer as fresh ones do; URIs and
// named items match whole, as written, ASCII or not.
#include "msxml_fixture.h"

#include <vector>

using qp::Bstr;
using qp::ComPtr;

namespace msxmltest {
namespace {

class FastPathTest : public MsxmlTest {
protected:
    ComPtr<IMXNamespaceManager> NewManager() {
        ComPtr<IMXNamespaceManager> manager;
        EXPECT_EQ(CoCreateInstance(CLSID_MXNamespaceManager60, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IMXNamespaceManager, manager.put_void()),
                  S_OK);
        return manager;
    }

    // The first prefix bound to `uri` in the manager's current context, or "<unbound>".
    static std::string PrefixOf(IMXNamespaceManager* manager, const std::u16string& uri) {
        int length = 0;
        if (manager->getPrefix(uri.c_str(), 0, nullptr, &length) != S_OK) return "<unbound>";
        std::vector<WCHAR> buffer(static_cast<size_t>(length) + 1);
        int room = length + 1;
        EXPECT_EQ(manager->getPrefix(uri.c_str(), 0, buffer.data(), &room), S_OK);
        return qptest::Utf8(buffer.data());
    }
};

TEST_F(FastPathTest, ReusedContextsForgetTheBindingsOfTheirLastUse) {
    auto doc = qptest::LoadDocument(
        "<r xmlns:a='urn:a' xmlns:b='urn:b' xmlns:c='urn:c'><i xmlns:d='urn:d'/></r>");
    ASSERT_TRUE(doc);
    auto root = Root(doc.get());
    auto inner = Only(doc.get(), "i");
    auto manager = NewManager();

    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        ASSERT_EQ(manager->pushNodeContext(root.get(), VARIANT_TRUE), S_OK);
        EXPECT_EQ(PrefixOf(manager.get(), u"urn:c"), "c");
        EXPECT_EQ(PrefixOf(manager.get(), u"urn:d"), "<unbound>");
        ASSERT_EQ(manager->popContext(), S_OK);

        // A shallow context of the inner element reuses the three-binding storage for one.
        ASSERT_EQ(manager->pushNodeContext(inner.get(), VARIANT_FALSE), S_OK);
        EXPECT_EQ(PrefixOf(manager.get(), u"urn:d"), "d");
        EXPECT_EQ(PrefixOf(manager.get(), u"urn:a"), "<unbound>");
        EXPECT_EQ(PrefixOf(manager.get(), u"urn:c"), "<unbound>");
        ASSERT_EQ(manager->popContext(), S_OK);
    }
    EXPECT_EQ(manager->popContext(), E_FAIL);
}

TEST_F(FastPathTest, UrisMatchWhollyWhateverTheyShareOrWhereverTheyDiffer) {
    auto doc = qptest::LoadDocument(
        "<r xmlns:long='http://example/ns/shared-beginning' xmlns:short='http://example/ns/shared'"
        " xmlns:first='Xttp://example/ns/shared-beginning'/>");
    ASSERT_TRUE(doc);
    auto root = Root(doc.get());
    auto manager = NewManager();
    ASSERT_EQ(manager->pushNodeContext(root.get(), VARIANT_TRUE), S_OK);

    EXPECT_EQ(PrefixOf(manager.get(), u"http://example/ns/shared-beginning"), "long");
    EXPECT_EQ(PrefixOf(manager.get(), u"http://example/ns/shared"), "short");
    EXPECT_EQ(PrefixOf(manager.get(), u"Xttp://example/ns/shared-beginning"), "first");
    EXPECT_EQ(PrefixOf(manager.get(), u"http://example/ns/shared-"), "<unbound>");
    EXPECT_EQ(PrefixOf(manager.get(), u"http://example/ns/sharedX"), "<unbound>");
    // Not ASCII (a declaration made on the manager, as a document may not hold it): compared as
    // converted, and an ASCII look-alike does not match.
    ASSERT_EQ(manager->pushContext(), S_OK);
    ASSERT_EQ(manager->declarePrefix(u"e", u"urn:caf\u00e9"), S_OK);
    EXPECT_EQ(PrefixOf(manager.get(), u"urn:caf\u00e9"), "e");
    EXPECT_EQ(PrefixOf(manager.get(), u"urn:cafe"), "<unbound>");
    EXPECT_EQ(PrefixOf(manager.get(), u"urn:caf\u00e8"), "<unbound>");
    // The xml prefix stays bound whatever the contexts hold.
    EXPECT_EQ(PrefixOf(manager.get(), u"http://www.w3.org/XML/1998/namespace"), "xml");
    EXPECT_EQ(manager->popContext(), S_OK);
    EXPECT_EQ(manager->popContext(), S_OK);
}

TEST_F(FastPathTest, NamedItemsMatchTheWholeQualifiedNameAsWritten) {
    auto doc = qptest::LoadDocument(
        "<r xmlns:p='urn:p' xmlns:q='urn:q' name='plain' p:name='prefixed' q:n\xC3\xA9='accented'/>");
    ASSERT_TRUE(doc);
    auto root = Root(doc.get());
    ComPtr<IXMLDOMNamedNodeMap> attributes;
    ASSERT_EQ(root->get_attributes(attributes.put()), S_OK);
    const auto valueOf = [&](const std::u16string& name) {
        Bstr wanted = Bstr::Copy(name.c_str());
        ComPtr<IXMLDOMNode> item;
        const HRESULT hr = attributes->getNamedItem(wanted.get(), item.put());
        if (hr != S_OK) return hr == S_FALSE && !item ? std::string("<none>") : std::string("<error>");
        return Text(item.get());
    };
    EXPECT_EQ(valueOf(u"name"), "plain");
    EXPECT_EQ(valueOf(u"p:name"), "prefixed");
    EXPECT_EQ(valueOf(u"q:n\u00e9"), "accented");
    // The prefix as written, not the namespace; nothing by local name alone or by a part.
    EXPECT_EQ(valueOf(u"q:name"), "<none>");
    EXPECT_EQ(valueOf(u"n\u00e9"), "<none>");
    EXPECT_EQ(valueOf(u"p:nam"), "<none>");
    EXPECT_EQ(valueOf(u"p:"), "<none>");
    EXPECT_EQ(valueOf(u":name"), "<none>");
    EXPECT_EQ(valueOf(u"Name"), "<none>");
}

}  // namespace
}  // namespace msxmltest
