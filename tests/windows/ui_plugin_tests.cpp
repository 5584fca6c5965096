// The UI plug-in through the real COM ABI: GetInfo and DevMode with the thread's last error,
// the vtable order of the methods it declines, and what it keeps of the published interfaces.
#include "check.h"
#include "module_under_test.h"

#include <common/constants.h>
#include <session/fake_driver_publisher.h>

#include <cstring>

using qp::ComPtr;

using namespace wintest;

namespace {

constexpr DWORD kUntouchedSize = 0xA5A5A5A5;
constexpr DWORD kErrorSentinel = 0xDEADBEEF;

struct GetInfoResult {
    HRESULT hr;
    DWORD lastError;
    DWORD needed;
    DWORD value;
};

GetInfoResult CallGetInfo(IPrintOemUI2* ui, DWORD mode, DWORD bufferSize) {
    GetInfoResult r{E_UNEXPECTED, kErrorSentinel, kUntouchedSize, kUntouchedSize};
    SetLastError(kErrorSentinel);
    r.hr = ui->GetInfo(mode, &r.value, bufferSize, &r.needed);
    r.lastError = GetLastError();
    return r;
}

// A refusal: E_FAIL with `lastError`, the needed size as given, the buffer untouched.
void CheckRefused(const GetInfoResult& r, DWORD lastError, DWORD needed) {
    CHECK_HR(r.hr, E_FAIL);
    CHECK_EQ(r.lastError, lastError);
    CHECK_EQ(r.needed, needed);
    CHECK_EQ(r.value, kUntouchedSize);
}

OEM_DMEXTRAHEADER DefaultHeader() { return {12, qp::kPluginSignature, qp::kPluginVersion}; }

bool SameHeader(const OEM_DMEXTRAHEADER& a, const OEM_DMEXTRAHEADER& b) {
    return a.dwSize == b.dwSize && a.dwSignature == b.dwSignature && a.dwVersion == b.dwVersion;
}

struct DevModeCall {
    OEM_DMEXTRAHEADER in{};
    OEM_DMEXTRAHEADER out{};
    OEMDMPARAM param{};
    HRESULT hr = E_UNEXPECTED;
    DWORD lastError = kErrorSentinel;

    HRESULT Run(IPrintOemUI2* ui, DWORD mode, bool withIn = true) {
        param.cbSize = static_cast<DWORD>(sizeof(OEMDMPARAM));
        param.pOEMDMIn = withIn ? &in : nullptr;
        param.pOEMDMOut = &out;
        param.cbBufSize = static_cast<DWORD>(sizeof(out));
        SetLastError(kErrorSentinel);
        hr = ui->DevMode(mode, &param);
        lastError = GetLastError();
        return hr;
    }
};

}  // namespace

WT_CASE(GetInfoAnswersSignatureVersionAndRequestedHelpers) {
    ComPtr<IPrintOemUI2> ui = NewUiPlugin();
    REQUIRE(ui);
    GetInfoResult r = CallGetInfo(ui.get(), OEMGI_GETSIGNATURE, 4);
    CHECK_HR(r.hr, S_OK);
    CHECK_EQ(r.needed, 4);
    CHECK(std::memcmp(&r.value, "QPQP", 4) == 0);
    r = CallGetInfo(ui.get(), OEMGI_GETVERSION, 4);
    CHECK_HR(r.hr, S_OK);
    CHECK_EQ(r.value, 1);
    r = CallGetInfo(ui.get(), OEMGI_GETREQUESTEDHELPERINTERFACES, 8);
    CHECK_HR(r.hr, S_OK);
    CHECK_EQ(r.value, OEMPUBLISH_IPRINTCOREHELPER);
    CHECK_EQ(r.needed, 4);
}

WT_CASE(GetInfoFailuresSetTheLastError) {
    ComPtr<IPrintOemUI2> ui = NewUiPlugin();
    REQUIRE(ui);
    CheckRefused(CallGetInfo(ui.get(), OEMGI_GETINTERFACEVERSION, 4), ERROR_INVALID_PARAMETER, kUntouchedSize);
    for (DWORD mode : {OEMGI_GETSIGNATURE, OEMGI_GETVERSION, OEMGI_GETPUBLISHERINFO, OEMGI_GETREQUESTEDHELPERINTERFACES}) {
        CheckRefused(CallGetInfo(ui.get(), mode, 3), ERROR_INSUFFICIENT_BUFFER, 4);
        DWORD value = kUntouchedSize;
        SetLastError(kErrorSentinel);
        CHECK_HR(ui->GetInfo(mode, &value, 4, nullptr), E_FAIL);
        CHECK_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
        CHECK_EQ(value, kUntouchedSize);
    }
    CheckRefused(CallGetInfo(ui.get(), OEMGI_GETPUBLISHERINFO, 4), ERROR_NOT_SUPPORTED, 0);
}

WT_CASE(DevModeSizesAndFillsThePrivateSection) {
    ComPtr<IPrintOemUI2> ui = NewUiPlugin();
    REQUIRE(ui);
    DevModeCall call;
    call.out = {0x11111111, 0x22222222, 0x33333333};
    const OEM_DMEXTRAHEADER before = call.out;
    CHECK_HR(call.Run(ui.get(), OEMDM_SIZE), S_OK);
    CHECK_EQ(call.param.cbBufSize, 12);
    CHECK(SameHeader(call.out, before));
    CHECK_HR(call.Run(ui.get(), OEMDM_DEFAULT), S_OK);
    CHECK(SameHeader(call.out, DefaultHeader()));
}

// Convert copies only between sections of the same signature; merge always ends with the
// default header.
WT_CASE(DevModeConvertAndMerge) {
    ComPtr<IPrintOemUI2> ui = NewUiPlugin();
    REQUIRE(ui);
    DevModeCall call;
    // A shorter section of another plug-in's signature on both sides: 8 bytes copied, then
    // size and version set to this plug-in's.
    call.in = {8, 0x41424344, 7};
    call.out = {12, 0x41424344, 9};
    CHECK_HR(call.Run(ui.get(), OEMDM_CONVERT), S_OK);
    CHECK(SameHeader(call.out, {12, 0x41424344, 1}));
    call.out = {12, 0x41424344, 9};
    CHECK_HR(call.Run(ui.get(), OEMDM_MERGE), S_OK);
    CHECK(SameHeader(call.out, DefaultHeader()));
    call.in = {12, 0x41424344, 1};
    call.out = DefaultHeader();
    call.out.dwVersion = 5;
    CHECK_HR(call.Run(ui.get(), OEMDM_CONVERT), S_OK);
    CHECK(SameHeader(call.out, DefaultHeader()));
    const OEM_DMEXTRAHEADER before = {99, 98, 97};
    call.out = before;
    CHECK_HR(call.Run(ui.get(), OEMDM_CONVERT, false), S_OK);
    CHECK(SameHeader(call.out, before));
}

WT_CASE(DevModeRefusesUnknownModesAndNullParameters) {
    ComPtr<IPrintOemUI2> ui = NewUiPlugin();
    REQUIRE(ui);
    DevModeCall call;
    CHECK_HR(call.Run(ui.get(), 5), E_FAIL);
    CHECK_EQ(call.lastError, ERROR_INVALID_PARAMETER);
    SetLastError(kErrorSentinel);
    CHECK_HR(ui->DevMode(OEMDM_SIZE, nullptr), E_FAIL);
    CHECK_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

// Each declined method answers from its own slot: a shifted vtable would show here.
WT_CASE(DeclinedMethodsAnswerFromTheirSlots) {
    ComPtr<IPrintOemUI2> ui = NewUiPlugin();
    REQUIRE(ui);
    DWORD result = 0;
    INT intResult = 0;
    CHECK_HR(ui->CommonUIProp(OEMCUIP_DOCPROP, nullptr), E_NOTIMPL);
    CHECK_HR(ui->DocumentPropertySheets(nullptr, 0), S_OK);
    CHECK_HR(ui->DevicePropertySheets(nullptr, 0), S_OK);
    CHECK_HR(ui->DevQueryPrintEx(nullptr, nullptr, nullptr, nullptr), E_NOTIMPL);
    CHECK_HR(ui->DeviceCapabilities(nullptr, nullptr, nullptr, 0, nullptr, nullptr, nullptr, 0, &result), E_NOTIMPL);
    CHECK_HR(ui->UpgradePrinter(1, nullptr), E_NOTIMPL);
    CHECK_HR(ui->PrinterEvent(nullptr, 0, 0, 0), E_NOTIMPL);
    CHECK_HR(ui->DriverEvent(0, 0, nullptr, 0), E_NOTIMPL);
    CHECK_HR(ui->QueryColorProfile(nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr, nullptr), E_NOTIMPL);
    CHECK_HR(ui->FontInstallerDlgProc(nullptr, 0, 0, 0), E_NOTIMPL);
    CHECK_HR(ui->UpdateExternalFonts(nullptr, nullptr, nullptr), E_NOTIMPL);
    CHECK_HR(ui->QueryJobAttributes(nullptr, nullptr, 1, nullptr), E_NOTIMPL);
    CHECK_HR(ui->HideStandardUI(0), E_NOTIMPL);
    CHECK_HR(ui->DocumentEvent(nullptr, nullptr, 0, 0, nullptr, 0, nullptr, &intResult), E_NOTIMPL);
}

WT_CASE(UiPluginAnswersOnlyItsOwnInterfaces) {
    ComPtr<IPrintOemUI2> ui = NewUiPlugin();
    REQUIRE(ui);
    for (const IID* iid : {&IID_IPrintOemUI, &IID_IPrintOemCommon, &IID_IPrintOemPrintTicketProvider, &IID_IClassFactory}) {
        IUnknown* out = reinterpret_cast<IUnknown*>(ui.get());
        CHECK_HR(ui->QueryInterface(*iid, reinterpret_cast<void**>(&out)), E_NOINTERFACE);
        CHECK(out == nullptr);
    }
}

// One offered object that supplies both: the core helper first, then the driver UI, then
// nothing more; everything taken is released once at the end.
WT_CASE(PublishDriverInterfaceTakesOneInterfacePerCall) {
    OwnedFake<CoreHelperStub> helper(CoreHelperStub::Create());
    OwnedFake<FakeDriverPublisher> publisher(FakeDriverPublisher::Create(helper.holder(), true));
    const ULONG helperRefs = helper->RefCount();
    const ULONG publisherRefs = publisher->RefCount();
    ComPtr<IPrintOemUI2> ui = NewUiPlugin();
    REQUIRE(ui);
    CHECK_HR(ui->PublishDriverInterface(publisher.get()), S_OK);
    CHECK_EQ(helper->RefCount(), helperRefs + 1);
    CHECK_EQ(publisher->RefCount(), publisherRefs);
    CHECK_HR(ui->PublishDriverInterface(publisher.get()), S_OK);
    CHECK_EQ(publisher->RefCount(), publisherRefs + 1);
    const int queries = publisher->QueryCount();
    CHECK_HR(ui->PublishDriverInterface(publisher.get()), E_FAIL);
    CHECK_EQ(publisher->QueryCount(), queries);
    ui.reset();
    CHECK_EQ(helper->RefCount(), helperRefs);
    CHECK_EQ(publisher->RefCount(), publisherRefs);
}
