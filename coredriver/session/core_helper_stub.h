// The core driver's IPrintCoreHelper as the plug-in sees it: GetOption answers from a map of GPD
// selections, CreateInstanceOfMSXMLObject hands out the namespace manager. Tests can force
// results, and read back the calls received and the reference count.
#pragma once

#include <platform/com_ptr.h>

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

// GPD feature name to the option the DEVMODE selects.
using GpdSelections = std::map<std::string, std::string, std::less<>>;

class CoreHelperStub final : public IPrintCoreHelper {
public:
    // One GetOption call as received: the feature asked for ("" when null), the DEVMODE and size.
    struct OptionCall {
        std::string feature;
        const DEVMODE* devmode;
        DWORD size;
    };

    // A new stub whose one reference the returned holder owns.
    static qp::ComPtr<CoreHelperStub> Create();
    // A new stub that selects `selections`.
    static qp::ComPtr<CoreHelperStub> Create(const GpdSelections& selections);

    CoreHelperStub(const CoreHelperStub&) = delete;
    CoreHelperStub& operator=(const CoreHelperStub&) = delete;

    // Selects `option` for `feature`. Set selections up before the plug-in reads them: the
    // option strings GetOption hands out point into the stub.
    void SetOption(const std::string& feature, const std::string& option);
    // Makes GetOption return `result` for `feature`. The out pointer is still set to the
    // selected option (or null), so a caller that trusts the pointer over the result shows.
    void ForceOptionResult(const std::string& feature, HRESULT result);
    // Makes CreateInstanceOfMSXMLObject fail with `result`; S_OK restores normal service.
    void FailCreateInstance(HRESULT result);

    // Whether GetOption calls are kept for OptionCalls (they are, unless turned off): a host that
    // converts without end turns it off so that the record does not grow.
    void RecordCalls(bool record);
    std::vector<OptionCall> OptionCalls() const;
    // The features of OptionCalls(), in order.
    std::vector<std::string> RequestedFeatures() const;
    int CreateInstanceCalls() const;
    // The current reference count.
    ULONG RefCount() const;

    // IUnknown: answers IUnknown and IPrintCoreHelper only.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IPrintCoreHelper: S_OK with the selected option; E_FAIL for a feature with no selection.
    HRESULT STDMETHODCALLTYPE GetOption(const DEVMODE* pDevmode, DWORD cbSize, PCSTR pszFeatureRequested,
                                        PCSTR* ppszOption) override;
    // Makes a namespace manager: the runtime's own (CLSID_MXNamespaceManager60), or the host's
    // where the runtime's refuses pushNodeContext, as Wine's does. Other classes are refused.
    HRESULT STDMETHODCALLTYPE CreateInstanceOfMSXMLObject(REFCLSID rclsid, LPUNKNOWN pUnkOuter, DWORD dwClsContext,
                                                          REFIID riid, LPVOID* ppv) override;
    // The rest of the interface is not offered: E_NOTIMPL.
    HRESULT STDMETHODCALLTYPE SetOptions(PDEVMODE, DWORD, BOOL, const PRINT_FEATURE_OPTION*, DWORD, PDWORD,
                                         PDWORD) override;
    HRESULT STDMETHODCALLTYPE EnumConstrainedOptions(const DEVMODE*, DWORD, PCSTR, PCSTR**, DWORD*) override;
    HRESULT STDMETHODCALLTYPE WhyConstrained(const DEVMODE*, DWORD, PCSTR, PCSTR, const PRINT_FEATURE_OPTION**,
                                             DWORD*) override;
    HRESULT STDMETHODCALLTYPE EnumFeatures(PCSTR**, DWORD*) override;
    HRESULT STDMETHODCALLTYPE EnumOptions(PCSTR, PCSTR**, DWORD*) override;
    HRESULT STDMETHODCALLTYPE GetFontSubstitution(PCWSTR, PCWSTR*) override;
    HRESULT STDMETHODCALLTYPE SetFontSubstitution(PCWSTR, PCWSTR) override;

private:
    CoreHelperStub() = default;
    ~CoreHelperStub() = default;

    std::atomic<ULONG> refs_{1};
    mutable std::mutex mutex_;
    GpdSelections options_;
    std::map<std::string, HRESULT, std::less<>> forcedResults_;
    std::vector<OptionCall> optionCalls_;
    bool recordCalls_ = true;
    HRESULT createInstanceFailure_ = S_OK;
    int createInstanceCalls_ = 0;
};
