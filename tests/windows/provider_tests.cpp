// The Print Ticket provider through the real COM ABI with real MSXML 6 documents: version and
// namespace hand-over (task memory and BSTRs as the core driver frees them), helper publication,
// the calls that do no work, and the conversions' argument checks.
#include "check.h"
#include "documents.h"
#include "module_under_test.h"

#include <common/constants.h>
#include <host/devmode_buffer.h>
#include <host/fake_driver_publisher.h>

#include <cwchar>
#include <string>
#include <vector>

using namespace wintest;

namespace {

HANDLE const kPrinter = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x1234));

// A namespace BSTR as the provider hands it out: the URI, then a NUL that the recorded length
// counts.
bool IsNamespaceWithCountedNul(BSTR text) {
    const size_t uriLength = std::wcslen(qp::kPrivateNamespace);
    return text != nullptr && SysStringLen(text) == uriLength + 1 && text[uriLength] == L'\0' &&
           std::wmemcmp(text, qp::kPrivateNamespace, uriLength) == 0;
}

// A helper as the core driver publishes it, selecting three holes.
ComPtr<CoreHelperStub> PunchingHelper() {
    ComPtr<CoreHelperStub> helper = CoreHelperStub::Create();
    helper->SetOption("PunchHole", "3Holes");
    helper->SetOption("Punch", "AUTO");
    return helper;
}

// A provider with `helper` published to it.
ComPtr<IPrintOemPrintTicketProvider> BoundProvider(CoreHelperStub* helper) {
    ComPtr<IPrintOemPrintTicketProvider> provider = NewProvider();
    if (provider && provider->PublishPrintTicketHelperInterface(helper) != S_OK) return nullptr;
    return provider;
}

// A DEVMODE whose private section the module's UI plug-in sized and filled, and a copy of its
// bytes to tell whether anything wrote to it.
struct DevModeFixture {
    DevModeBuffer buffer;
    std::vector<unsigned char> pristine;

    bool Make() {
        ComPtr<IPrintOemUI2> ui = NewUiPlugin();
        if (!ui || buffer.Make(ui.get()) != S_OK) return false;
        pristine = Bytes();
        return true;
    }
    std::vector<unsigned char> Bytes() {
        const auto* bytes = reinterpret_cast<const unsigned char*>(buffer.DevMode());
        return std::vector<unsigned char>(bytes, bytes + buffer.Size());
    }
    bool Untouched() { return Bytes() == pristine; }
};

}  // namespace

WT_CASE(ProviderAnswersOnlyItsOwnInterfaces) {
    ComPtr<IPrintOemPrintTicketProvider> provider = NewProvider();
    REQUIRE(provider);
    for (const IID* iid : {&IID_IPrintOemUI2, &IID_IClassFactory, &IID_IPrintCoreHelper}) {
        IUnknown* out = provider.get();
        CHECK_HR(provider->QueryInterface(*iid, reinterpret_cast<void**>(&out)), E_NOINTERFACE);
        CHECK(out == nullptr);
    }
}

WT_CASE(SupportedVersionsComeInTaskMemory) {
    ComPtr<IPrintOemPrintTicketProvider> provider = NewProvider();
    REQUIRE(provider);
    INT* versions = nullptr;
    INT count = 0;
    CHECK_HR(provider->GetSupportedVersions(nullptr, &versions, &count), S_OK);
    CHECK_EQ(count, 1);
    CHECK(versions != nullptr && versions[0] == 1);
    CoTaskMemFree(versions);
    CHECK_HR(provider->GetSupportedVersions(kPrinter, nullptr, &count), E_INVALIDARG);
    CHECK_HR(provider->GetSupportedVersions(kPrinter, &versions, nullptr), E_INVALIDARG);
}

WT_CASE(BindPrinterNamesThePrivateNamespace) {
    ComPtr<IPrintOemPrintTicketProvider> provider = NewProvider();
    REQUIRE(provider);
    OEMPTOPTS options = OEMPT_NOSNAPSHOT;
    INT count = -1;
    BSTR* namespaces = nullptr;
    CHECK_HR(provider->BindPrinter(kPrinter, 1, &options, &count, &namespaces), S_OK);
    CHECK_EQ(options, OEMPT_DEFAULT);
    CHECK_EQ(count, 1);
    REQUIRE(namespaces != nullptr);
    CHECK(IsNamespaceWithCountedNul(namespaces[0]));
    SysFreeString(namespaces[0]);
    CoTaskMemFree(namespaces);
}

WT_CASE(BindPrinterRefusesOtherVersionsAndNullArguments) {
    ComPtr<IPrintOemPrintTicketProvider> provider = NewProvider();
    REQUIRE(provider);
    OEMPTOPTS options = OEMPT_NOSNAPSHOT;
    INT count = -1;
    BSTR untouched[1] = {nullptr};
    BSTR* namespaces = untouched;
    CHECK_HR(provider->BindPrinter(kPrinter, 2, &options, &count, &namespaces), E_VERSION_NOT_SUPPORTED);
    CHECK_EQ(count, 0);
    CHECK(namespaces == nullptr);
    CHECK_EQ(options, OEMPT_NOSNAPSHOT);
    count = -1;
    namespaces = untouched;
    CHECK_HR(provider->BindPrinter(nullptr, 1, &options, &count, &namespaces), E_INVALIDARG);
    CHECK_HR(provider->BindPrinter(kPrinter, 1, nullptr, &count, &namespaces), E_INVALIDARG);
    CHECK_HR(provider->BindPrinter(kPrinter, 1, &options, nullptr, &namespaces), E_INVALIDARG);
    CHECK_HR(provider->BindPrinter(kPrinter, 1, &options, &count, nullptr), E_INVALIDARG);
    CHECK_EQ(count, -1);
    CHECK(namespaces == untouched);
    CHECK_EQ(options, OEMPT_NOSNAPSHOT);
}

WT_CASE(DefaultNamespaceIsTheBoundNamespace) {
    ComPtr<IPrintOemPrintTicketProvider> provider = NewProvider();
    REQUIRE(provider);
    Bstr uri;
    CHECK_HR(provider->QueryDeviceDefaultNamespace(uri.put()), S_OK);
    CHECK(IsNamespaceWithCountedNul(uri.get()));
    CHECK_HR(provider->QueryDeviceDefaultNamespace(nullptr), E_INVALIDARG);
}

WT_CASE(HelperIsPublishedOnceAndReleasedOnce) {
    OwnedFake<CoreHelperStub> first(CoreHelperStub::Create());
    OwnedFake<FakeDriverPublisher> second(FakeDriverPublisher::Create(CoreHelperStub::Create(), false));
    OwnedFake<FakeDriverPublisher> withoutHelper(FakeDriverPublisher::Create(nullptr, true));
    ComPtr<IPrintOemPrintTicketProvider> provider = NewProvider();
    REQUIRE(provider);
    CHECK_HR(provider->PublishPrintTicketHelperInterface(nullptr), E_INVALIDARG);
    CHECK_HR(provider->PublishPrintTicketHelperInterface(withoutHelper.get()), E_FAIL);
    CHECK_EQ(withoutHelper->RefCount(), 1);
    CHECK_HR(provider->PublishPrintTicketHelperInterface(first.get()), S_OK);
    CHECK_EQ(first->RefCount(), 2);
    CHECK_HR(provider->PublishPrintTicketHelperInterface(second.get()), S_OK);
    CHECK_EQ(second->QueryCount(), 0);
    provider.reset();
    CHECK_EQ(first->RefCount(), 1);
}

WT_CASE(ValidateAndExpandLeaveRealDocumentsAlone) {
    ComPtr<IPrintOemPrintTicketProvider> provider = NewProvider();
    REQUIRE(provider);
    ComPtr<IXMLDOMDocument2> empty = NewDocument();
    ComPtr<IXMLDOMDocument2> ticket = LoadDocument(SampleTicket());
    REQUIRE(empty && ticket);
    const std::wstring before = XmlOf(ticket.get());
    const ULONG refs = RefCount(ticket.get());
    CHECK_HR(provider->ValidatePrintTicket(empty.get()), S_NO_CONFLICT);
    CHECK_HR(provider->ValidatePrintTicket(ticket.get()), S_NO_CONFLICT);
    CHECK_HR(provider->ValidatePrintTicket(nullptr), E_INVALIDARG);
    CHECK_HR(provider->ExpandIntentOptions(ticket.get()), S_OK);
    CHECK_HR(provider->ExpandIntentOptions(nullptr), S_OK);
    CHECK(XmlOf(ticket.get()) == before);
    CHECK_EQ(RefCount(ticket.get()), refs);
}

// Every refused argument leaves the document as it was and makes nothing: no namespace
// manager is asked of the helper.
WT_CASE(ConversionsCheckTheirArguments) {
    OwnedFake<CoreHelperStub> helper(PunchingHelper());
    {
        ComPtr<IPrintOemPrintTicketProvider> provider = BoundProvider(helper.get());
        ComPtr<IXMLDOMDocument2> ticket = LoadDocument(SampleTicket());
        DevModeFixture devmode;
        REQUIRE(provider && ticket && devmode.Make());
        const std::wstring before = XmlOf(ticket.get());
        PDEVMODE dm = devmode.buffer.DevMode();
        const ULONG size = devmode.buffer.Size();
        void* oem = devmode.buffer.PrivateSection();
        const ULONG oemSize = devmode.buffer.PrivateSize();
        IXMLDOMDocument2* doc = ticket.get();

        CHECK_HR(provider->ConvertPrintTicketToDevMode(doc, 0, dm, oemSize, oem), E_INVALIDARG);
        CHECK_HR(provider->ConvertPrintTicketToDevMode(doc, size, nullptr, oemSize, oem), E_INVALIDARG);
        CHECK_HR(provider->ConvertPrintTicketToDevMode(nullptr, size, dm, oemSize, oem), E_INVALIDARG);
        CHECK_HR(provider->ConvertPrintTicketToDevMode(doc, size, dm, 0, oem), E_INVALIDARG);
        CHECK_HR(provider->ConvertPrintTicketToDevMode(doc, size, dm, oemSize, nullptr), E_INVALIDARG);

        CHECK_HR(provider->ConvertDevModeToPrintTicket(0, dm, oemSize, oem, doc), E_INVALIDARG);
        CHECK_HR(provider->ConvertDevModeToPrintTicket(size, nullptr, oemSize, oem, doc), E_INVALIDARG);
        CHECK_HR(provider->ConvertDevModeToPrintTicket(size, dm, 0, oem, doc), E_INVALIDARG);
        CHECK_HR(provider->ConvertDevModeToPrintTicket(size, dm, oemSize, nullptr, doc), E_INVALIDARG);
        CHECK_HR(provider->ConvertDevModeToPrintTicket(size, dm, oemSize, oem, nullptr), E_INVALIDARG);

        CHECK_HR(provider->CompletePrintCapabilities(doc, nullptr), E_INVALIDARG);
        CHECK_HR(provider->CompletePrintCapabilities(nullptr, nullptr), E_INVALIDARG);

        CHECK(XmlOf(ticket.get()) == before);
        CHECK(devmode.Untouched());
        CHECK_EQ(helper->CreateInstanceCalls(), 0);
        CHECK_EQ(helper->OptionCalls().size(), 0);
    }
}

// Wine's MSXML has no IMXNamespaceManager::pushNodeContext, so there a conversion cannot bind
// its document: it must fail cleanly, change nothing and give back every reference. On Windows
// the same calls convert the document.
WT_CASE(ConversionsOfARealTicket) {
    OwnedFake<CoreHelperStub> helper(PunchingHelper());
    {
        ComPtr<IPrintOemPrintTicketProvider> provider = BoundProvider(helper.get());
        ComPtr<IXMLDOMDocument2> ticket = LoadDocument(SampleTicket());
        DevModeFixture devmode;
        REQUIRE(provider && ticket && devmode.Make());
        DevModeBuffer& dm = devmode.buffer;
        const std::wstring before = XmlOf(ticket.get());
        const ULONG refs = RefCount(ticket.get());

        const HRESULT toTicket = provider->ConvertDevModeToPrintTicket(dm.Size(), dm.DevMode(), dm.PrivateSize(),
                                                                       dm.PrivateSection(), ticket.get());
        CHECK_EQ(RefCount(ticket.get()), refs);
        CHECK(devmode.Untouched());
        CHECK_EQ(helper->CreateInstanceCalls(), 1);
        if (UnderWine()) {
            CHECK(FAILED(toTicket));
            CHECK(XmlOf(ticket.get()) == before);
            CHECK_EQ(CountNodes(ticket.get(), L"//psf:Feature[@name='private:JobPresentationDirection']"), 1);
        } else {
            CHECK_HR(toTicket, S_OK);
            CHECK_EQ(CountNodes(ticket.get(), L"//psf:Feature[@name='psk:JobNUpAllDocumentsContiguously']"
                                              L"/psf:Feature[@name='psk:PresentationDirection']"),
                     1);
            CHECK_EQ(CountNodes(ticket.get(), L"//psf:Feature[@name='psk:JobHolePunch']/psf:Option"
                                              L"/psf:ScoredProperty[@name='psk:HoleCount']/psf:Value[.='3']"),
                     1);
        }

        // Towards the DEVMODE: whatever the outcome, the DEVMODE does not change and the ticket
        // stays well-formed.
        const std::wstring beforeBack = XmlOf(ticket.get());
        const HRESULT toDevMode = provider->ConvertPrintTicketToDevMode(ticket.get(), dm.Size(), dm.DevMode(),
                                                                        dm.PrivateSize(), dm.PrivateSection());
        CHECK(devmode.Untouched());
        CHECK_EQ(CountNodes(ticket.get(), L"/psf:PrintTicket"), 1);
        CHECK_EQ(RefCount(ticket.get()), refs);
        if (UnderWine()) {
            CHECK(XmlOf(ticket.get()) == beforeBack);
        } else {
            CHECK_HR(toDevMode, S_OK);
            CHECK_EQ(CountNodes(ticket.get(), L"//psf:Feature[@name='private:JobPresentationDirection']"), 1);
        }
    }
}

WT_CASE(CompletePrintCapabilitiesOfARealDocument) {
    OwnedFake<CoreHelperStub> helper(PunchingHelper());
    {
        ComPtr<IPrintOemPrintTicketProvider> provider = BoundProvider(helper.get());
        ComPtr<IXMLDOMDocument2> capabilities = LoadDocument(SampleCapabilities());
        REQUIRE(provider && capabilities);
        const std::wstring before = XmlOf(capabilities.get());
        const ULONG refs = RefCount(capabilities.get());
        const HRESULT hr = provider->CompletePrintCapabilities(nullptr, capabilities.get());
        CHECK_EQ(RefCount(capabilities.get()), refs);
        CHECK_EQ(helper->OptionCalls().size(), 0);
        if (UnderWine()) {
            CHECK(FAILED(hr));
            CHECK(XmlOf(capabilities.get()) == before);
        } else {
            CHECK_HR(hr, S_OK);
            CHECK_EQ(CountNodes(capabilities.get(), L"//psf:Option[@name='private:Center']"
                                                    L"/psf:ScoredProperty[@name='psk:BinType']"),
                     1);
        }
    }
}
