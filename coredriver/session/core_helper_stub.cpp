#include <session/core_helper_stub.h>

#include <session/host_namespace_manager.h>

#include <platform/hresult_flow.h>

#include <new>

using qp::Bstr;
using qp::ComPtr;

namespace {

// Which namespace manager CreateInstanceOfMSXMLObject hands out: the runtime's own, unless it
// refuses pushNodeContext (Wine's does), then the host's. Settled by the first probe that gets
// either answer; any other outcome is probed again next time.
enum class ManagerSource { Unsettled, Runtime, Host };
std::atomic<ManagerSource> g_managerSource{ManagerSource::Unsettled};

HRESULT LoadProbeRoot(ComPtr<IXMLDOMElement>& root) {
    ComPtr<IXMLDOMDocument2> document;
    RETURN_IF_FAILED(CoCreateInstance(CLSID_DOMDocument60, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument2,
                                      document.put_void()));
    const Bstr text = Bstr::Copy(W("<p:probe xmlns:p='urn:probe'/>"));
    if (!text) return E_OUTOFMEMORY;
    VARIANT_BOOL loaded = VARIANT_FALSE;
    RETURN_IF_FAILED(document->loadXML(text.get(), &loaded));
    if (loaded != VARIANT_TRUE) return E_FAIL;
    RETURN_IF_FAILED(document->get_documentElement(root.put()));
    return root ? S_OK : E_FAIL;
}

// Pushes the root of a tiny document into one of the runtime's managers. Unsettled, with the
// reason in `failure`, when a step fails otherwise than pushNodeContext's E_NOTIMPL: a test may
// be refusing allocations on purpose.
ManagerSource ProbeRuntimeManager(HRESULT& failure) {
    ComPtr<IXMLDOMElement> root;
    failure = LoadProbeRoot(root);
    if (FAILED(failure)) return ManagerSource::Unsettled;
    ComPtr<IMXNamespaceManager> manager;
    failure = CoCreateInstance(CLSID_MXNamespaceManager60, nullptr, CLSCTX_INPROC_SERVER, IID_IMXNamespaceManager,
                               manager.put_void());
    if (FAILED(failure)) return ManagerSource::Unsettled;
    failure = manager->pushNodeContext(root.get(), VARIANT_TRUE);
    if (failure == S_OK) return ManagerSource::Runtime;
    if (failure == E_NOTIMPL) return ManagerSource::Host;
    return ManagerSource::Unsettled;
}

ManagerSource SettleManagerSource(HRESULT& probeFailure) {
    probeFailure = S_OK;
    ManagerSource source = g_managerSource.load();
    if (source != ManagerSource::Unsettled) return source;
    source = ProbeRuntimeManager(probeFailure);
    if (source != ManagerSource::Unsettled) g_managerSource.store(source);
    return source;
}

// A probe that ran out of memory fails the call, as making the manager itself would; any other
// unsettled probe leaves the runtime's manager, as before there was a choice.
HRESULT CreateNamespaceManager(REFIID riid, void** ppv) {
    HRESULT probeFailure = S_OK;
    const ManagerSource source = SettleManagerSource(probeFailure);
    if (source == ManagerSource::Host) return HostNamespaceManager::Create(riid, ppv);
    if (source == ManagerSource::Unsettled && probeFailure == E_OUTOFMEMORY) return probeFailure;
    return CoCreateInstance(CLSID_MXNamespaceManager60, nullptr, CLSCTX_INPROC_SERVER, riid, ppv);
}

}  // namespace

ComPtr<CoreHelperStub> CoreHelperStub::Create() {
    // Probed as the stub is made, so that a first conversion allocates no more than later ones.
    HRESULT probeFailure = S_OK;
    SettleManagerSource(probeFailure);
    return ComPtr<CoreHelperStub>::Attach(new CoreHelperStub());
}

ComPtr<CoreHelperStub> CoreHelperStub::Create(const GpdSelections& selections) {
    ComPtr<CoreHelperStub> helper = Create();
    for (const auto& [feature, option] : selections) helper->SetOption(feature, option);
    return helper;
}

void CoreHelperStub::RecordCalls(bool record) {
    std::lock_guard lock(mutex_);
    recordCalls_ = record;
}

void CoreHelperStub::SetOption(const std::string& feature, const std::string& option) {
    std::lock_guard lock(mutex_);
    options_[feature] = option;
}

void CoreHelperStub::ForceOptionResult(const std::string& feature, HRESULT result) {
    std::lock_guard lock(mutex_);
    forcedResults_[feature] = result;
}

void CoreHelperStub::FailCreateInstance(HRESULT result) {
    std::lock_guard lock(mutex_);
    createInstanceFailure_ = result;
}

std::vector<CoreHelperStub::OptionCall> CoreHelperStub::OptionCalls() const {
    std::lock_guard lock(mutex_);
    return optionCalls_;
}

std::vector<std::string> CoreHelperStub::RequestedFeatures() const {
    std::vector<std::string> features;
    for (const OptionCall& call : OptionCalls()) features.push_back(call.feature);
    return features;
}

int CoreHelperStub::CreateInstanceCalls() const {
    std::lock_guard lock(mutex_);
    return createInstanceCalls_;
}

ULONG CoreHelperStub::RefCount() const { return refs_.load(); }

HRESULT STDMETHODCALLTYPE CoreHelperStub::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (riid == IID_IUnknown || riid == IID_IPrintCoreHelper) {
        *ppv = static_cast<IPrintCoreHelper*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE CoreHelperStub::AddRef() { return ++refs_; }

ULONG STDMETHODCALLTYPE CoreHelperStub::Release() {
    const ULONG remaining = --refs_;
    if (remaining == 0) delete this;
    return remaining;
}

HRESULT STDMETHODCALLTYPE CoreHelperStub::GetOption(const DEVMODE* pDevmode, DWORD cbSize, PCSTR pszFeatureRequested,
                                                    PCSTR* ppszOption) {
    std::lock_guard lock(mutex_);
    const std::string_view feature = pszFeatureRequested != nullptr ? pszFeatureRequested : "";
    // The plug-in expects no exception from a COM call: a call that cannot be recorded fails.
    try {
        if (recordCalls_) optionCalls_.push_back(OptionCall{std::string(feature), pDevmode, cbSize});
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    if (ppszOption == nullptr) return E_INVALIDARG;
    *ppszOption = nullptr;
    if (pszFeatureRequested == nullptr) return E_INVALIDARG;
    const auto option = options_.find(feature);
    const PCSTR selected = option != options_.end() ? option->second.c_str() : nullptr;
    if (const auto forced = forcedResults_.find(feature); forced != forcedResults_.end()) {
        *ppszOption = selected;
        return forced->second;
    }
    // The core driver fails a feature that its GPD does not define.
    if (selected == nullptr) return E_FAIL;
    *ppszOption = selected;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CoreHelperStub::CreateInstanceOfMSXMLObject(REFCLSID rclsid, LPUNKNOWN pUnkOuter,
                                                                      DWORD dwClsContext, REFIID riid, LPVOID* ppv) {
    HRESULT failure;
    {
        std::lock_guard lock(mutex_);
        ++createInstanceCalls_;
        failure = createInstanceFailure_;
    }
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (FAILED(failure)) return failure;
    if (pUnkOuter != nullptr) return CLASS_E_NOAGGREGATION;
    if (rclsid != CLSID_MXNamespaceManager60) return REGDB_E_CLASSNOTREG;
    if (dwClsContext != 0 && dwClsContext != CLSCTX_INPROC_SERVER) return E_INVALIDARG;
    return CreateNamespaceManager(riid, ppv);
}

HRESULT STDMETHODCALLTYPE CoreHelperStub::SetOptions(PDEVMODE, DWORD, BOOL, const PRINT_FEATURE_OPTION*, DWORD, PDWORD,
                                                     PDWORD) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CoreHelperStub::EnumConstrainedOptions(const DEVMODE*, DWORD, PCSTR, PCSTR**, DWORD*) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CoreHelperStub::WhyConstrained(const DEVMODE*, DWORD, PCSTR, PCSTR,
                                                         const PRINT_FEATURE_OPTION**, DWORD*) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CoreHelperStub::EnumFeatures(PCSTR**, DWORD*) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE CoreHelperStub::EnumOptions(PCSTR, PCSTR**, DWORD*) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE CoreHelperStub::GetFontSubstitution(PCWSTR, PCWSTR*) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE CoreHelperStub::SetFontSubstitution(PCWSTR, PCWSTR) { return E_NOTIMPL; }
