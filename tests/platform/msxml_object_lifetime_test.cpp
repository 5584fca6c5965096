// Node objects hold their document through their tree: a document must live exactly as long as
// anything of it, and every object a search makes must be refusable by fault injection.
#include "msxml_fixture.h"

#include <utility>

using qp::Bstr;
using qp::ComPtr;

namespace msxmltest {
namespace {

constexpr const char* kFeatures =
    "<psf:PrintTicket xmlns:psf='http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework'>"
    "<psf:Feature name='a'><psf:Option name='a1'/></psf:Feature>"
    "<psf:Feature name='b'><psf:Option name='b1'/></psf:Feature>"
    "<psf:Feature name='c'><psf:Option name='c1'/></psf:Feature>"
    "</psf:PrintTicket>";

class ObjectLifetimeTest : public MsxmlTest {
protected:
    static ComPtr<IXMLDOMNodeList> Features(IXMLDOMDocument2* doc) {
        ComPtr<IXMLDOMNodeList> list;
        Bstr name = B("psf:Feature");
        EXPECT_EQ(doc->getElementsByTagName(name.get(), list.put()), S_OK);
        return list;
    }

    // What a search does for every element it passes; S_OK with the name attribute's text, or
    // the first failure.
    static HRESULT NameOf(IXMLDOMNode* node, std::string& name) {
        ComPtr<IXMLDOMNamedNodeMap> attributes;
        HRESULT hr = node->get_attributes(attributes.put());
        if (hr != S_OK) return FAILED(hr) ? hr : E_FAIL;
        Bstr wanted = B("name");
        if (!wanted) return E_OUTOFMEMORY;
        ComPtr<IXMLDOMNode> item;
        hr = attributes->getNamedItem(wanted.get(), item.put());
        if (hr != S_OK) return FAILED(hr) ? hr : E_FAIL;
        ComPtr<IXMLDOMAttribute> attribute;
        hr = item.QueryTo(IID_IXMLDOMAttribute, attribute);
        if (FAILED(hr)) return hr;
        Bstr text;
        hr = attribute->get_text(text.put());
        if (hr != S_OK) return FAILED(hr) ? hr : E_FAIL;
        name = qptest::Utf8(text.get());
        return S_OK;
    }

    // The names of every feature, in order, each node released before the next is made.
    static HRESULT Walk(IXMLDOMDocument2* doc, std::string& names) {
        ComPtr<IXMLDOMNodeList> list;
        Bstr tag = B("psf:Feature");
        if (!tag) return E_OUTOFMEMORY;
        HRESULT hr = doc->getElementsByTagName(tag.get(), list.put());
        if (FAILED(hr)) return hr;
        ComPtr<IXMLDOMNode> node;
        while ((hr = list->nextNode(node.put())) == S_OK) {
            std::string name;
            hr = NameOf(node.get(), name);
            if (FAILED(hr)) return hr;
            names += name;
        }
        return FAILED(hr) ? hr : S_OK;
    }

    static int64_t LiveObjects() { return PortableLedgerRead().domObjects; }
};

TEST_F(ObjectLifetimeTest, NodesKeepTheirDocumentAcrossALoadAndAfterItsLastOtherReference) {
    auto doc = qptest::LoadDocument(kFeatures);
    ASSERT_TRUE(doc);
    auto oldRoot = Root(doc.get());
    ComPtr<IXMLDOMNode> oldFeature;
    ASSERT_EQ(Features(doc.get())->get_item(2, oldFeature.put()), S_OK);

    Bstr replacement = B("<other><psf:Feature xmlns:psf='urn:x' name='z'/></other>");
    VARIANT_BOOL loaded = VARIANT_FALSE;
    ASSERT_EQ(doc->loadXML(replacement.get(), &loaded), S_OK);
    auto newRoot = Root(doc.get());
    ComPtr<IXMLDOMNamedNodeMap> newAttributes;
    ComPtr<IXMLDOMNode> newFeature;
    ASSERT_EQ(Features(doc.get())->get_item(0, newFeature.put()), S_OK);
    ASSERT_EQ(newFeature->get_attributes(newAttributes.put()), S_OK);

    // Only the address is kept: the nodes hold the document from here on.
    IUnknown* documentIdentity = nullptr;
    {
        ComPtr<IUnknown> identity;
        ASSERT_EQ(doc->QueryInterface(IID_IUnknown, identity.put_void()), S_OK);
        documentIdentity = identity.get();
    }
    doc.reset();

    // Both trees, the replaced one and the current one, still answer and name the same document.
    for (IXMLDOMNode* node : {static_cast<IXMLDOMNode*>(oldRoot.get()), oldFeature.get(),
                              static_cast<IXMLDOMNode*>(newRoot.get()), newFeature.get()}) {
        ComPtr<IXMLDOMDocument> owner;
        ASSERT_EQ(node->get_ownerDocument(owner.put()), S_OK);
        ComPtr<IUnknown> identity;
        ASSERT_EQ(owner->QueryInterface(IID_IUnknown, identity.put_void()), S_OK);
        EXPECT_EQ(identity.get(), documentIdentity);
    }
    std::string name;
    ASSERT_EQ(NameOf(oldFeature.get(), name), S_OK);
    EXPECT_EQ(name, "c");
    EXPECT_EQ(qptest::XmlDoc(Xml(oldRoot.get())).Count("/*[local-name()='PrintTicket']/*[@name='c']"), 1);

    // The last holder of each tree may be any kind of object: here a map outlives its element.
    oldRoot.reset();
    oldFeature.reset();
    newRoot.reset();
    newFeature.reset();
    LONG length = 0;
    ASSERT_EQ(newAttributes->get_length(&length), S_OK);
    EXPECT_EQ(length, 1);
}

TEST_F(ObjectLifetimeTest, EveryObjectASearchMakesCanBeRefusedAndLeavesNothingBehind) {
    auto doc = qptest::LoadDocument(kFeatures);
    ASSERT_TRUE(doc);
    std::string names;
    PortableFaultResetCount();
    ASSERT_EQ(Walk(doc.get(), names), S_OK);
    const uint64_t allocations = PortableFaultAllocationCount();
    // List and name (2), then per feature: node, map, attribute, text (4 x 3).
    ASSERT_GE(allocations, 14u);
    const PortableLedger before = PortableLedgerRead();
    for (uint64_t failAt = 1; failAt <= allocations; ++failAt) {
        SCOPED_TRACE(failAt);
        PortableFaultArm(failAt);
        names.clear();
        EXPECT_EQ(Walk(doc.get(), names), E_OUTOFMEMORY);
        EXPECT_TRUE(PortableFaultFired());
        PortableFaultDisarm();
        EXPECT_LEDGER_BALANCED(before);
    }
    names.clear();
    ASSERT_EQ(Walk(doc.get(), names), S_OK) << "and the document is whole afterwards";
    EXPECT_EQ(names, "abc");
}

}  // namespace
}  // namespace msxmltest
