#include "host/core_helper_stub.h"

ComPtr<CoreHelperStub> CoreHelperStub::Create() { return ComPtr<CoreHelperStub>::Attach(new CoreHelperStub()); }

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
    const std::string feature = pszFeatureRequested != nullptr ? pszFeatureRequested : "";
    optionCalls_.push_back(OptionCall{feature, pDevmode, cbSize});
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
    return CoCreateInstance(CLSID_MXNamespaceManager60, nullptr, CLSCTX_INPROC_SERVER, riid, ppv);
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
