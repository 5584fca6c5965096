#include <session/fake_driver_publisher.h>

#include <algorithm>

using qp::ComPtr;

namespace {

// The value recorded for `iid` in a list of (interface id, value) pairs, or null.
template <class Entries>
auto* FindByIid(Entries& entries, REFIID iid) {
    const auto found = std::find_if(entries.begin(), entries.end(), [&](const auto& e) { return e.first == iid; });
    return found != entries.end() ? &found->second : nullptr;
}

}  // namespace

ComPtr<FakeDriverPublisher> FakeDriverPublisher::Create(ComPtr<CoreHelperStub> helper, bool offerDriverUI) {
    return ComPtr<FakeDriverPublisher>::Attach(new FakeDriverPublisher(std::move(helper), offerDriverUI));
}

void FakeDriverPublisher::FailQuery(REFIID iid, HRESULT result) {
    std::lock_guard lock(mutex_);
    if (HRESULT* existing = FindByIid(failures_, iid)) {
        *existing = result;
    } else {
        failures_.emplace_back(iid, result);
    }
}

int FakeDriverPublisher::QueryCount(REFIID iid) const {
    std::lock_guard lock(mutex_);
    const int* count = FindByIid(queries_, iid);
    return count != nullptr ? *count : 0;
}

int FakeDriverPublisher::QueryCount() const {
    std::lock_guard lock(mutex_);
    int total = 0;
    for (const auto& entry : queries_) total += entry.second;
    return total;
}

ULONG FakeDriverPublisher::RefCount() const { return refs_.load(); }

HRESULT STDMETHODCALLTYPE FakeDriverPublisher::QueryInterface(REFIID riid, void** ppv) {
    {
        std::lock_guard lock(mutex_);
        if (int* count = FindByIid(queries_, riid)) {
            ++*count;
        } else {
            queries_.emplace_back(riid, 1);
        }
    }
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    return Answer(riid, ppv);
}

HRESULT FakeDriverPublisher::Answer(REFIID riid, void** ppv) {
    {
        std::lock_guard lock(mutex_);
        if (const HRESULT* failure = FindByIid(failures_, riid)) return *failure;
    }
    if (riid == IID_IUnknown || (riid == IID_IPrintOemDriverUI && offerDriverUI_)) {
        *ppv = static_cast<IPrintOemDriverUI*>(this);
        AddRef();
        return S_OK;
    }
    // The helper is a separate object: its reference count shows what the plug-in took.
    if (riid == IID_IPrintCoreHelper && helper_) return helper_->QueryInterface(riid, ppv);
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE FakeDriverPublisher::AddRef() { return ++refs_; }

ULONG STDMETHODCALLTYPE FakeDriverPublisher::Release() {
    const ULONG remaining = --refs_;
    if (remaining == 0) delete this;
    return remaining;
}

HRESULT STDMETHODCALLTYPE FakeDriverPublisher::DrvGetDriverSetting(PVOID, PCSTR, PVOID, DWORD, PDWORD, PDWORD) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE FakeDriverPublisher::DrvUpgradeRegistrySetting(HANDLE, PCSTR, PCSTR) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE FakeDriverPublisher::DrvUpdateUISetting(PVOID, PVOID, DWORD, DWORD) { return E_NOTIMPL; }
