#include "task_memory_spy.h"

#include <mutex>
#include <unordered_set>

namespace wintest {
namespace {

// Tracks the blocks allocated while the spy is registered; blocks the spy did not see
// (fSpyed false) are left alone.
class CountingSpy final : public IMallocSpy {
public:
    long Live() {
        std::lock_guard lock(mutex_);
        return static_cast<long>(live_.size());
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IMallocSpy) {
            *out = static_cast<IMallocSpy*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    // Static lifetime: the runtime's references do not own it.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    SIZE_T STDMETHODCALLTYPE PreAlloc(SIZE_T cbRequest) override { return cbRequest; }
    void* STDMETHODCALLTYPE PostAlloc(void* actual) override {
        if (actual != nullptr) Insert(actual);
        return actual;
    }
    void* STDMETHODCALLTYPE PreFree(void* request, BOOL spyed) override {
        if (spyed && request != nullptr) Erase(request);
        return request;
    }
    void STDMETHODCALLTYPE PostFree(BOOL) override {}
    SIZE_T STDMETHODCALLTYPE PreRealloc(void* request, SIZE_T cbRequest, void** newRequest, BOOL spyed) override {
        if (spyed && request != nullptr) Erase(request);
        *newRequest = request;
        return cbRequest;
    }
    void* STDMETHODCALLTYPE PostRealloc(void* actual, BOOL) override {
        if (actual != nullptr) Insert(actual);
        return actual;
    }
    void* STDMETHODCALLTYPE PreGetSize(void* request, BOOL) override { return request; }
    SIZE_T STDMETHODCALLTYPE PostGetSize(SIZE_T actual, BOOL) override { return actual; }
    void* STDMETHODCALLTYPE PreDidAlloc(void* request, BOOL) override { return request; }
    int STDMETHODCALLTYPE PostDidAlloc(void*, BOOL, int actual) override { return actual; }
    void STDMETHODCALLTYPE PreHeapMinimize() override {}
    void STDMETHODCALLTYPE PostHeapMinimize() override {}

private:
    void Insert(void* p) {
        std::lock_guard lock(mutex_);
        live_.insert(p);
    }
    void Erase(void* p) {
        std::lock_guard lock(mutex_);
        live_.erase(p);
    }

    std::mutex mutex_;
    std::unordered_set<void*> live_;
};

CountingSpy g_spy;

}  // namespace

bool TaskMemorySpy::Install() { return SUCCEEDED(CoRegisterMallocSpy(&g_spy)); }

void TaskMemorySpy::Uninstall() { CoRevokeMallocSpy(); }

long TaskMemorySpy::Live() { return g_spy.Live(); }

}  // namespace wintest
