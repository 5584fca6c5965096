// The object a core driver offers to PublishDriverInterface and PublishPrintTicketHelperInterface.
// Configurable to supply IPrintCoreHelper (a CoreHelperStub's, handed out by delegation) and/or
// IPrintOemDriverUI (its own, every method E_NOTIMPL). It counts QueryInterface calls per
// interface id and exposes its reference count, so a test can tell "not touched" from
// "taken and released exactly once".
#pragma once

#include <session/core_helper_stub.h>

#include <atomic>
#include <mutex>
#include <utility>
#include <vector>

class FakeDriverPublisher final : public IPrintOemDriverUI {
public:
    // Supplies `helper`'s IPrintCoreHelper when `helper` is given, and IPrintOemDriverUI when
    // `offerDriverUI`; every other interface but IUnknown is E_NOINTERFACE.
    static qp::ComPtr<FakeDriverPublisher> Create(qp::ComPtr<CoreHelperStub> helper, bool offerDriverUI);

    FakeDriverPublisher(const FakeDriverPublisher&) = delete;
    FakeDriverPublisher& operator=(const FakeDriverPublisher&) = delete;

    // Makes QueryInterface for `iid` fail with `result` and a null out-pointer.
    void FailQuery(REFIID iid, HRESULT result);

    // QueryInterface calls received for `iid`, and for all interface ids together.
    int QueryCount(REFIID iid) const;
    int QueryCount() const;
    ULONG RefCount() const;
    // The stub whose IPrintCoreHelper is offered, or null.
    CoreHelperStub* Helper() const { return helper_.get(); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE DrvGetDriverSetting(PVOID, PCSTR, PVOID, DWORD, PDWORD, PDWORD) override;
    HRESULT STDMETHODCALLTYPE DrvUpgradeRegistrySetting(HANDLE, PCSTR, PCSTR) override;
    HRESULT STDMETHODCALLTYPE DrvUpdateUISetting(PVOID, PVOID, DWORD, DWORD) override;

private:
    FakeDriverPublisher(qp::ComPtr<CoreHelperStub> helper, bool offerDriverUI)
        : helper_(std::move(helper)), offerDriverUI_(offerDriverUI) {}
    ~FakeDriverPublisher() = default;

    HRESULT Answer(REFIID riid, void** ppv);

    std::atomic<ULONG> refs_{1};
    qp::ComPtr<CoreHelperStub> helper_;
    bool offerDriverUI_;
    mutable std::mutex mutex_;
    std::vector<std::pair<IID, int>> queries_;
    std::vector<std::pair<IID, HRESULT>> failures_;
};
