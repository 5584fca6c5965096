// The Print Ticket provider through a module-made object: version negotiation, binding, the
// namespace it hands out, helper publication, and the argument checks of its conversions.
#include "server_fixture.h"

#include <common/constants.h>

#include <string>

using qp::Bstr;
using qp::ComPtr;

namespace servertest {
namespace {

const std::u16string kNamespace = qp::kPrivateNamespace;

// A document pointer whose first call would crash: proof that a call never touched it.
IXMLDOMDocument2* UntouchableDocument() {
    static void* const kNoTable = nullptr;
    return reinterpret_cast<IXMLDOMDocument2*>(const_cast<void**>(&kNoTable));
}

// A namespace BSTR as the provider hands it out: the URI, then one counted terminator.
void ExpectNamespaceBstr(BSTR text) {
    ASSERT_NE(text, nullptr);
    ASSERT_EQ(SysStringLen(text), kNamespace.size() + 1);
    EXPECT_EQ(std::u16string(text, kNamespace.size()), kNamespace);
    EXPECT_EQ(text[kNamespace.size()], 0);
}

class PrintTicketProviderTest : public ModuleTest {
protected:
    void SetUp() override {
        ModuleTest::SetUp();
        provider_ = Create<IPrintOemPrintTicketProvider>(IID_IPrintOemPrintTicketProvider, CLSID_OEMPTPROVIDER);
    }
    void TearDown() override {
        provider_.reset();
        ModuleTest::TearDown();
    }

    ComPtr<IPrintOemPrintTicketProvider> provider_;
    HANDLE printer_ = reinterpret_cast<HANDLE>(0x1234);
};

TEST_F(PrintTicketProviderTest, AnswersOnlyItsOwnInterfaces) {
    ComPtr<IUnknown> unknown;
    EXPECT_EQ(provider_.QueryTo(IID_IUnknown, unknown), S_OK);
    for (const IID& iid : {IID_IPrintOemUI2, IID_IClassFactory, IID_IPrintCoreHelper}) {
        ComPtr<IUnknown> other;
        EXPECT_EQ(provider_.QueryTo(iid, other), E_NOINTERFACE);
        EXPECT_FALSE(other);
    }
    EXPECT_EQ(provider_->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
}

TEST_F(PrintTicketProviderTest, SupportsVersionOneOnly) {
    INT* versions = nullptr;
    INT count = 0;
    ASSERT_EQ(provider_->GetSupportedVersions(nullptr, &versions, &count), S_OK);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(versions[0], 1);
    CoTaskMemFree(versions);
    EXPECT_EQ(provider_->GetSupportedVersions(printer_, nullptr, &count), E_INVALIDARG);
    EXPECT_EQ(provider_->GetSupportedVersions(printer_, &versions, nullptr), E_INVALIDARG);

    count = 7;
    PortableFaultArm(1);
    EXPECT_EQ(provider_->GetSupportedVersions(printer_, &versions, &count), E_OUTOFMEMORY);
    EXPECT_TRUE(PortableFaultFired());
    EXPECT_EQ(versions, nullptr);
    EXPECT_EQ(count, 7);
}

TEST_F(PrintTicketProviderTest, BindPrinterNamesThePrivateNamespace) {
    OEMPTOPTS options = OEMPT_NOSNAPSHOT;
    INT count = 0;
    BSTR* namespaces = nullptr;
    ASSERT_EQ(provider_->BindPrinter(printer_, 1, &options, &count, &namespaces), S_OK);
    EXPECT_EQ(options, OEMPT_DEFAULT);
    ASSERT_EQ(count, 1);
    ExpectNamespaceBstr(namespaces[0]);
    SysFreeString(namespaces[0]);
    CoTaskMemFree(namespaces);

    // Binding again replaces the handle and hands out a fresh array.
    ASSERT_EQ(provider_->BindPrinter(reinterpret_cast<HANDLE>(0x5678), 1, &options, &count, &namespaces), S_OK);
    SysFreeString(namespaces[0]);
    CoTaskMemFree(namespaces);

    options = OEMPT_NOSNAPSHOT;
    count = 5;
    EXPECT_EQ(provider_->BindPrinter(printer_, 2, &options, &count, &namespaces), E_VERSION_NOT_SUPPORTED);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(namespaces, nullptr);
    EXPECT_EQ(options, OEMPT_NOSNAPSHOT);
}

TEST_F(PrintTicketProviderTest, BindPrinterRefusesNullArgumentsWritingNothing) {
    OEMPTOPTS options = OEMPT_NOSNAPSHOT;
    INT count = 5;
    BSTR sentinel[1] = {};
    BSTR* namespaces = sentinel;
    EXPECT_EQ(provider_->BindPrinter(nullptr, 1, &options, &count, &namespaces), E_INVALIDARG);
    EXPECT_EQ(provider_->BindPrinter(printer_, 1, nullptr, &count, &namespaces), E_INVALIDARG);
    EXPECT_EQ(provider_->BindPrinter(printer_, 1, &options, nullptr, &namespaces), E_INVALIDARG);
    EXPECT_EQ(provider_->BindPrinter(printer_, 1, &options, &count, nullptr), E_INVALIDARG);
    EXPECT_EQ(options, OEMPT_NOSNAPSHOT);
    EXPECT_EQ(count, 5);
    EXPECT_EQ(namespaces, sentinel);
}

TEST_F(PrintTicketProviderTest, NamespaceAllocationFailuresLeaveNothingBehind) {
    for (uint64_t n = 1; n <= 2; ++n) {
        OEMPTOPTS options = OEMPT_NOSNAPSHOT;
        INT count = 5;
        BSTR* namespaces = nullptr;
        PortableFaultArm(n);
        EXPECT_EQ(provider_->BindPrinter(printer_, 1, &options, &count, &namespaces), E_OUTOFMEMORY) << n;
        EXPECT_TRUE(PortableFaultFired());
        EXPECT_EQ(namespaces, nullptr);
        EXPECT_EQ(count, 0) << "no array, no namespaces";
    }
    BSTR uri = SysAllocString(W("stale"));
    BSTR stale = uri;
    PortableFaultArm(1);
    EXPECT_EQ(provider_->QueryDeviceDefaultNamespace(&uri), E_OUTOFMEMORY);
    EXPECT_EQ(uri, nullptr);
    SysFreeString(stale);
}

TEST_F(PrintTicketProviderTest, DefaultNamespaceMatchesTheBoundOne) {
    Bstr uri;
    ASSERT_EQ(provider_->QueryDeviceDefaultNamespace(uri.put()), S_OK);
    ExpectNamespaceBstr(uri.get());
    EXPECT_EQ(provider_->QueryDeviceDefaultNamespace(nullptr), E_INVALIDARG);
}

TEST_F(PrintTicketProviderTest, KeepsTheFirstPublishedCoreHelper) {
    const ComPtr<FakeDriverPublisher> withoutHelper = Offered(false, true);
    EXPECT_EQ(provider_->PublishPrintTicketHelperInterface(withoutHelper.get()), E_FAIL);
    EXPECT_EQ(withoutHelper->RefCount(), 1u);
    EXPECT_EQ(provider_->PublishPrintTicketHelperInterface(nullptr), E_INVALIDARG);

    const ComPtr<CoreHelperStub> first = CoreHelperStub::Create();
    const ComPtr<FakeDriverPublisher> second = Offered(true, false);
    EXPECT_EQ(provider_->PublishPrintTicketHelperInterface(first.get()), S_OK);
    EXPECT_EQ(provider_->PublishPrintTicketHelperInterface(second.get()), S_OK);
    EXPECT_EQ(first->RefCount(), 2u);
    EXPECT_EQ(second->QueryCount(), 0);
    provider_.reset();
    EXPECT_EQ(first->RefCount(), 1u);
}

TEST_F(PrintTicketProviderTest, ValidationAndIntentExpansionDoNoWork) {
    EXPECT_EQ(provider_->ValidatePrintTicket(UntouchableDocument()), S_NO_CONFLICT);
    EXPECT_EQ(provider_->ValidatePrintTicket(nullptr), E_INVALIDARG);
    EXPECT_EQ(provider_->ExpandIntentOptions(UntouchableDocument()), S_OK);
    EXPECT_EQ(provider_->ExpandIntentOptions(nullptr), S_OK);
}

TEST_F(PrintTicketProviderTest, ConversionsRefuseEachMissingArgumentBeforeTouchingTheDocument) {
    DEVMODEW devmode{};
    BYTE privateSection[12] = {};
    IXMLDOMDocument2* doc = UntouchableDocument();
    const ULONG size = sizeof devmode;
    EXPECT_EQ(provider_->ConvertPrintTicketToDevMode(doc, 0, &devmode, 12, privateSection), E_INVALIDARG);
    EXPECT_EQ(provider_->ConvertPrintTicketToDevMode(doc, size, nullptr, 12, privateSection), E_INVALIDARG);
    EXPECT_EQ(provider_->ConvertPrintTicketToDevMode(nullptr, size, &devmode, 12, privateSection), E_INVALIDARG);
    EXPECT_EQ(provider_->ConvertPrintTicketToDevMode(doc, size, &devmode, 0, privateSection), E_INVALIDARG);
    EXPECT_EQ(provider_->ConvertPrintTicketToDevMode(doc, size, &devmode, 12, nullptr), E_INVALIDARG);
    EXPECT_EQ(provider_->ConvertDevModeToPrintTicket(0, &devmode, 12, privateSection, doc), E_INVALIDARG);
    EXPECT_EQ(provider_->ConvertDevModeToPrintTicket(size, nullptr, 12, privateSection, doc), E_INVALIDARG);
    EXPECT_EQ(provider_->ConvertDevModeToPrintTicket(size, &devmode, 0, privateSection, doc), E_INVALIDARG);
    EXPECT_EQ(provider_->ConvertDevModeToPrintTicket(size, &devmode, 12, nullptr, doc), E_INVALIDARG);
    EXPECT_EQ(provider_->ConvertDevModeToPrintTicket(size, &devmode, 12, privateSection, nullptr), E_INVALIDARG);
    EXPECT_EQ(provider_->CompletePrintCapabilities(doc, nullptr), E_INVALIDARG);
    EXPECT_EQ(provider_->CompletePrintCapabilities(nullptr, nullptr), E_INVALIDARG);
}

}  // namespace
}  // namespace servertest
