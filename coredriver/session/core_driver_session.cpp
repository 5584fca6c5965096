#include <session/core_driver_session.h>

#include <session/hresult_text.h>
#include <session/text_codec.h>

#include <platform/wstr.h>

#include <algorithm>
#include <new>
#include <utility>
#include <vector>

using qp::Bstr;
using qp::CoTaskMemPtr;
using qp::ComPtr;

namespace {

// The printer the provider is bound to; the provider only keeps the handle.
int boundPrinter = 0;
constexpr INT kInterfaceVersion = 1;

template <class T>
HRESULT CreateThroughFactory(const LoadedModule& module, REFCLSID clsid, REFIID iid, ComPtr<T>& object) {
    ComPtr<IClassFactory> factory;
    const HRESULT got = module.GetClassObject(clsid, IID_IClassFactory, factory.put_void());
    if (FAILED(got)) return got;
    if (!factory) return E_POINTER;
    const HRESULT made = factory->CreateInstance(nullptr, iid, object.put_void());
    if (SUCCEEDED(made) && !object) return E_POINTER;
    return made;
}

// The versions the provider offers, its array freed as the core driver frees it.
HRESULT QuerySupportedVersions(IPrintOemPrintTicketProvider* provider, std::vector<INT>& versions) {
    INT* received = nullptr;
    INT count = 0;
    const HRESULT hr = provider->GetSupportedVersions(&boundPrinter, &received, &count);
    CoTaskMemPtr<INT> owned(received);
    if (SUCCEEDED(hr) && owned) versions.assign(owned.get(), owned.get() + std::max(count, 0));
    return hr;
}

HRESULT Bind(IPrintOemPrintTicketProvider* provider) {
    OEMPTOPTS options = OEMPT_DEFAULT;
    INT count = 0;
    BSTR* received = nullptr;
    const HRESULT hr = provider->BindPrinter(&boundPrinter, kInterfaceVersion, &options, &count, &received);
    CoTaskMemPtr<BSTR> namespaces(received);
    for (INT i = 0; namespaces && i < count; ++i) {
        Bstr freed = Bstr::Attach(namespaces[i]);
    }
    return hr;
}

// The namespace the provider names as the default for the GPD's private names, freed as the
// core driver frees it. E_NOTIMPL is an answer, not a failure: the provider leaves the core
// driver's own namespace in force, and `uri` stays empty.
HRESULT QueryDefaultNamespace(IPrintOemPrintTicketProvider* provider, std::string& uri) {
    Bstr received;
    const HRESULT hr = provider->QueryDeviceDefaultNamespace(received.put());
    if (hr == E_NOTIMPL) return S_OK;
    // The recorded length may count the terminator: the text ends at its first NUL.
    if (SUCCEEDED(hr) && received) uri = coredriver::EncodeUtf8(received.get(), WStrLen(received.get()));
    return hr;
}

// True when `hr` succeeded; otherwise false with "MODULE: what RESULT" as the error.
bool Succeeded(HRESULT hr, const std::string& path, const char* what, std::string& error) {
    if (SUCCEEDED(hr)) return true;
    error = path + ": " + what + DescribeHResult(hr);
    return false;
}

}  // namespace

const char* MethodName(ProviderConversion conversion) {
    switch (conversion) {
        case ProviderConversion::DevModeToPrintTicket: return "ConvertDevModeToPrintTicket";
        case ProviderConversion::PrintTicketToDevMode: return "ConvertPrintTicketToDevMode";
        case ProviderConversion::CompletePrintCapabilities: break;
    }
    return "CompletePrintCapabilities";
}

std::unique_ptr<CoreDriverSession> CoreDriverSession::Open(const std::string& modulePath,
                                                           const GpdSelections& selections, std::string& error) {
    try {
        std::unique_ptr<LoadedModule> module = LoadedModule::Load(modulePath, error);
        if (!module) return nullptr;
        const LoadedModule& loaded = *module;
        std::unique_ptr<CoreDriverSession> session = Open(loaded, CoreHelperStub::Create(selections), error);
        if (session) session->ownedModule_ = std::move(module);
        return session;
    } catch (const std::bad_alloc&) {
        error = "out of memory";
        return nullptr;
    }
}

std::unique_ptr<CoreDriverSession> CoreDriverSession::Open(const LoadedModule& module, ComPtr<CoreHelperStub> helper,
                                                           std::string& error) {
    try {
        std::unique_ptr<CoreDriverSession> session(new CoreDriverSession(module, std::move(helper)));
        if (!session->SetUpUiPlugin(error) || !session->SetUpProvider(error)) return nullptr;
        return session;
    } catch (const std::bad_alloc&) {
        error = "out of memory";
        return nullptr;
    }
}

CoreDriverSession::CoreDriverSession(const LoadedModule& module, ComPtr<CoreHelperStub> helper)
    : module_(module), helper_(std::move(helper)) {}

CoreDriverSession::~CoreDriverSession() {
    provider_.reset();
    uiPlugin_.reset();
    helper_.reset();
}

HRESULT CoreDriverSession::Convert(ProviderConversion conversion, IXMLDOMDocument2* document) {
    switch (conversion) {
        case ProviderConversion::DevModeToPrintTicket:
            return provider_->ConvertDevModeToPrintTicket(devmode_.Size(), devmode_.DevMode(), devmode_.PrivateSize(),
                                                          devmode_.PrivateSection(), document);
        case ProviderConversion::PrintTicketToDevMode:
            return provider_->ConvertPrintTicketToDevMode(document, devmode_.Size(), devmode_.DevMode(),
                                                          devmode_.PrivateSize(), devmode_.PrivateSection());
        case ProviderConversion::CompletePrintCapabilities: break;
    }
    return provider_->CompletePrintCapabilities(nullptr, document);
}

bool CoreDriverSession::SetUpUiPlugin(std::string& error) {
    const std::string& path = module_.Path();
    return Succeeded(CreateThroughFactory(module_, CLSID_OEMUI, IID_IPrintOemUI2, uiPlugin_), path,
                     "cannot make the UI plug-in: ", error) &&
           Succeeded(uiPlugin_->PublishDriverInterface(helper_.get()), path,
                     "the UI plug-in refuses the core helper: PublishDriverInterface returned ", error) &&
           Succeeded(devmode_.Make(uiPlugin_.get()), path, "the UI plug-in cannot size and fill its DEVMODE section: ",
                     error);
}

bool CoreDriverSession::SetUpProvider(std::string& error) {
    const std::string& path = module_.Path();
    const HRESULT made = CreateThroughFactory(module_, CLSID_OEMPTPROVIDER, IID_IPrintOemPrintTicketProvider, provider_);
    if (!Succeeded(made, path, "cannot make the Print Ticket provider: ", error)) return false;
    const HRESULT hr = QuerySupportedVersions(provider_.get(), supportedVersions_);
    if (std::find(supportedVersions_.begin(), supportedVersions_.end(), kInterfaceVersion) ==
        supportedVersions_.end()) {
        error = path + ": the Print Ticket provider does not offer version 1: GetSupportedVersions returned " +
                DescribeHResult(hr);
        return false;
    }
    return Succeeded(Bind(provider_.get()), path, "BindPrinter returned ", error) &&
           Succeeded(QueryDefaultNamespace(provider_.get(), defaultNamespace_), path,
                     "QueryDeviceDefaultNamespace returned ", error) &&
           Succeeded(provider_->PublishPrintTicketHelperInterface(helper_.get()), path,
                     "PublishPrintTicketHelperInterface returned ", error);
}
