// The Print Ticket provider through the real COM ABI with real MSXML 6 documents: version and
// namespace hand-over (task memory and BSTRs as the core driver frees them), helper publication,
// the calls that do no work, and the conversions' argument checks.
#include "check.h"
#include "documents.h"
#include "module_under_test.h"
#include "provider_conversion.h"

#include <common/constants.h>
#include <session/fake_driver_publisher.h>

#include <cstdint>
#include <cwchar>
#include <string>
#include <vector>

using qp::Bstr;
using qp::ComPtr;

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
    Conversion c;
    REQUIRE(c.Prepare(SampleTicket()));
    const std::wstring before = XmlOf(c.document.get());
    IPrintOemPrintTicketProvider* provider = c.Provider();
    PDEVMODE dm = c.DevMode().DevMode();
    const ULONG size = c.DevMode().Size();
    void* oem = c.DevMode().PrivateSection();
    const ULONG oemSize = c.DevMode().PrivateSize();
    IXMLDOMDocument2* doc = c.document.get();

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

    CHECK(XmlOf(doc) == before);
    CHECK(c.DevModeUntouched());
    CHECK_EQ(c.helper->CreateInstanceCalls(), 0);
    CHECK_EQ(c.helper->OptionCalls().size(), 0);
}

// The conversions of a ticket and a capabilities document through the real MSXML: each edits
// the document in place, gives back every reference it took and leaves the DEVMODE alone.
WT_CASE(ConversionsOfARealTicket) {
    Conversion c;
    REQUIRE(c.Prepare(SampleTicket()));
    IXMLDOMDocument2* ticket = c.document.get();
    const ULONG refs = RefCount(ticket);

    CHECK_HR(c.ToTicket(), S_OK);
    CHECK_EQ(RefCount(ticket), refs);
    CHECK(c.DevModeUntouched());
    CHECK_EQ(c.helper->CreateInstanceCalls(), 1);
    CHECK_EQ(CountNodes(ticket, L"//psf:Feature[@name='psk:JobNUpAllDocumentsContiguously']"
                                L"/psf:Feature[@name='psk:PresentationDirection']"),
             1);
    CHECK_EQ(CountNodes(ticket, L"//psf:Feature[@name='psk:JobHolePunch']/psf:Option"
                                L"/psf:ScoredProperty[@name='psk:HoleCount']/psf:Value[.='3']"),
             1);

    CHECK_HR(c.ToDevMode(), S_OK);
    CHECK(c.DevModeUntouched());
    CHECK_EQ(RefCount(ticket), refs);
    CHECK_EQ(CountNodes(ticket, L"//psf:Feature[@name='private:JobPresentationDirection']"), 1);
    CHECK_EQ(CountNodes(ticket, L"//psf:Feature[@name='psk:PresentationDirection']"), 0);
}

WT_CASE(CompletePrintCapabilitiesOfARealDocument) {
    Conversion c;
    REQUIRE(c.Prepare(SampleCapabilities()));
    IXMLDOMDocument2* capabilities = c.document.get();
    const ULONG refs = RefCount(capabilities);
    CHECK_HR(c.Capabilities(), S_OK);
    CHECK_EQ(RefCount(capabilities), refs);
    CHECK_EQ(c.helper->OptionCalls().size(), 0);
    CHECK_EQ(CountNodes(capabilities, L"//psf:Option[@name='private:Center']/psf:ScoredProperty[@name='psk:BinType']"),
             1);
}
