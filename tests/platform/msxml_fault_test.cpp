// Allocation failures anywhere in a typical editing session: each one is reported, nothing
// crashes, and whatever was made is freed.
#include "msxml_fixture.h"

using qp::Bstr;
using qp::ComPtr;
using qp::Variant;

namespace msxmltest {
namespace {

constexpr const char* kTicket =
    "<?xml version=\"1.0\"?><psf:PrintTicket"
    " xmlns:psf=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework\""
    " xmlns:psk=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords\" version=\"1\">"
    "<psf:Feature name=\"psk:JobOutputBin\"><psf:Option name=\"psk:Tray\"/></psf:Feature></psf:PrintTicket>";

// Every step the plug-in takes, stopping at the first that does not succeed. Returns whether
// the whole session ran, and the document it left in *xmlOut.
bool EditingSession(std::string* xmlOut = nullptr) {
    ComPtr<IXMLDOMDocument2> doc;
    if (CoCreateInstance(CLSID_DOMDocument60, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument2,
                         doc.put_void()) != S_OK) {
        return false;
    }
    Bstr text = Bstr::Copy(qptest::Utf16(kTicket).c_str());
    VARIANT_BOOL ok = VARIANT_FALSE;
    ComPtr<IXMLDOMElement> root;
    if (!text || doc->loadXML(text.get(), &ok) != S_OK || doc->get_documentElement(root.put()) != S_OK) return false;

    ComPtr<IMXNamespaceManager> manager;
    if (CoCreateInstance(CLSID_MXNamespaceManager60, nullptr, CLSCTX_INPROC_SERVER, IID_IMXNamespaceManager,
                         manager.put_void()) != S_OK ||
        manager->pushNodeContext(root.get(), VARIANT_TRUE) != S_OK) {
        return false;
    }
    int length = 0;
    WCHAR prefix[8] = {};
    int room = 8;
    const bool bound = manager->getPrefix(W("http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework"), 0,
                                          nullptr, &length) == S_OK &&
                       manager->getPrefix(W("http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework"), 0,
                                          prefix, &room) == S_OK;
    if (manager->popContext() != S_OK || !bound) return false;

    ComPtr<IXMLDOMNodeList> options;
    Bstr optionName = Bstr::Copy(W("psf:Option"));
    ComPtr<IXMLDOMNode> option;
    if (!optionName || root->getElementsByTagName(optionName.get(), options.put()) != S_OK ||
        options->nextNode(option.put()) != S_OK) {
        return false;
    }

    Variant elementType = Variant::Int32(NODE_ELEMENT);
    Variant attributeType = Variant::Int32(NODE_ATTRIBUTE);
    Bstr name = Bstr::Copy(W("psf:ScoredProperty"));
    Bstr psf = Bstr::Copy(W("http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework"));
    Bstr attributeName = Bstr::Copy(W("name"));
    ComPtr<IXMLDOMNode> scored, attributeNode;
    ComPtr<IXMLDOMAttribute> attribute;
    ComPtr<IXMLDOMElement> scoredElement;
    if (!name || !psf || !attributeName ||
        doc->createNode(elementType.get(), name.get(), psf.get(), scored.put()) != S_OK ||
        option->appendChild(scored.get(), nullptr) != S_OK ||
        doc->createNode(attributeType.get(), attributeName.get(), psf.get(), attributeNode.put()) != S_OK ||
        attributeNode.QueryTo(IID_IXMLDOMAttribute, attribute) != S_OK) {
        return false;
    }
    Variant value;
    value.get().vt = VT_BSTR;
    value.get().bstrVal = SysAllocString(W("psk:BinType"));
    if (value.get().bstrVal == nullptr || attribute->put_value(value.get()) != S_OK ||
        scored.QueryTo(IID_IXMLDOMElement, scoredElement) != S_OK ||
        scoredElement->setAttributeNode(attribute.get(), nullptr) != S_OK) {
        return false;
    }

    ComPtr<IXMLDOMNode> removed;
    Bstr xml;
    Bstr optionText;
    const bool ran = scored->put_text(name.get()) == S_OK && option->get_text(optionText.put()) == S_OK &&
                     qptest::Utf8(optionText.get()) == "psf:ScoredProperty" &&
                     option->removeChild(scored.get(), removed.put()) == S_OK &&
                     root->appendChild(removed.get(), nullptr) == S_OK && doc->get_xml(xml.put()) == S_OK;
    if (ran && xmlOut) *xmlOut = qptest::Utf8(xml.get());
    return ran;
}

class FaultTest : public MsxmlTest {};

TEST_F(FaultTest, EveryAllocationOfAnEditingSessionMayFailWithoutCrashOrLeak) {
    PortableFaultResetCount();
    std::string clean;
    ASSERT_TRUE(EditingSession(&clean));
    const uint64_t allocations = PortableFaultAllocationCount();
    ASSERT_GT(allocations, 20u);
    const PortableLedger before = PortableLedgerRead();
    for (uint64_t failAt = 1; failAt <= allocations; ++failAt) {
        PortableFaultArm(failAt);
        // libxml2 copes with some of its own allocations failing (a name it only records): a
        // session may then succeed, but only with the whole document.
        std::string xml;
        if (EditingSession(&xml)) {
            EXPECT_EQ(xml, clean) << "allocation " << failAt << " failed unnoticed";
        }
        EXPECT_TRUE(PortableFaultFired());
        PortableFaultDisarm();
        EXPECT_LEDGER_BALANCED(before) << "after a failure at allocation " << failAt;
    }
}

}  // namespace
}  // namespace msxmltest
