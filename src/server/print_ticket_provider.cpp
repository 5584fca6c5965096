#include "server/print_ticket_provider.h"

#include "common/constants.h"
#include "common/hresult.h"
#include "common/format_string.h"

#include <utility>

namespace qp {
namespace {

constexpr INT kSupportedVersion = 1;

// The private namespace in a BSTR allocated one character longer than the URI, so that its
// recorded length counts the terminator.
HRESULT AllocateNamespaceBstr(Bstr& out) noexcept {
    const size_t length = WStrLenBounded(kPrivateNamespace, kMaxStringChars);
    if (length == kMaxStringChars) return E_INVALIDARG;
    Bstr text = Bstr::Attach(SysAllocStringLen(nullptr, static_cast<UINT>(length + 1)));
    if (!text) return E_OUTOFMEMORY;
    RETURN_IF_FAILED(FormatString(text.get(), length + 1, W("%s"), kPrivateNamespace));
    out = std::move(text);
    return S_OK;
}

}  // namespace

HRESULT PrintTicketProvider::QueryInterface(REFIID riid, void** ppv) {
    return AnswerQueryInterface(riid, ppv, {IID_IUnknown, IID_IPrintOemPrintTicketProvider});
}

HRESULT PrintTicketProvider::GetSupportedVersions(HANDLE, INT* ppVersions[], INT* cVersions) {
    if (ppVersions == nullptr || cVersions == nullptr) return E_INVALIDARG;
    *ppVersions = nullptr;
    auto versions = CoTaskMemPtr<INT>::Allocate(1);
    if (!versions) return E_OUTOFMEMORY;
    versions[0] = kSupportedVersion;
    *cVersions = 1;
    *ppVersions = versions.detach();
    return S_OK;
}

HRESULT PrintTicketProvider::BindPrinter(HANDLE hPrinter, INT version, POEMPTOPTS pOptions, INT* cNamespaces,
                                         BSTR** ppNamespaces) {
    if (pOptions == nullptr || cNamespaces == nullptr || ppNamespaces == nullptr || hPrinter == nullptr) {
        return E_INVALIDARG;
    }
    *ppNamespaces = nullptr;
    *cNamespaces = 0;
    if (version != kSupportedVersion) return E_VERSION_NOT_SUPPORTED;

    printer_ = hPrinter;
    *pOptions = OEMPT_DEFAULT;
    auto namespaces = CoTaskMemPtr<BSTR>::Allocate(1);
    if (!namespaces) return E_OUTOFMEMORY;
    Bstr uri;
    RETURN_IF_FAILED(AllocateNamespaceBstr(uri));
    namespaces[0] = uri.detach();
    *cNamespaces = 1;
    *ppNamespaces = namespaces.detach();
    return S_OK;
}

HRESULT PrintTicketProvider::PublishPrintTicketHelperInterface(IUnknown* pHelper) {
    if (pHelper == nullptr) return E_INVALIDARG;
    if (coreHelper_) return S_OK;
    const HRESULT hr = pHelper->QueryInterface(IID_IPrintCoreHelper, coreHelper_.put_void());
    if (hr == S_OK) return S_OK;
    // A failed query must not have written a reference; an odd success code did take one.
    if (FAILED(hr)) {
        static_cast<void>(coreHelper_.detach());
    } else {
        coreHelper_.reset();
    }
    return E_FAIL;
}

HRESULT PrintTicketProvider::QueryDeviceDefaultNamespace(BSTR* pbstrNamespaceUri) {
    if (pbstrNamespaceUri == nullptr) return E_INVALIDARG;
    *pbstrNamespaceUri = nullptr;
    Bstr uri;
    RETURN_IF_FAILED(AllocateNamespaceBstr(uri));
    *pbstrNamespaceUri = uri.detach();
    return S_OK;
}

HRESULT PrintTicketProvider::ExpandIntentOptions(IXMLDOMDocument2*) { return S_OK; }

HRESULT PrintTicketProvider::ValidatePrintTicket(IXMLDOMDocument2* pPrintTicket) {
    return pPrintTicket == nullptr ? E_INVALIDARG : S_NO_CONFLICT;
}

}  // namespace qp
