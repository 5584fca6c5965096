// The module under test, loaded with LoadLibrary from beside this program and reached only
// through its two exports, as the core driver reaches it.
#pragma once

#include "check.h"

#include <session/loaded_module.h>

#include <platform/com_ptr.h>
#include <platform/platform.h>

#include <utility>

namespace wintest {

struct ModuleExports {
    HMODULE handle = nullptr;
    PFN_DllCanUnloadNow canUnloadNow = nullptr;
    PFN_DllGetClassObject getClassObject = nullptr;
};

// Loads the module by name and resolves its exports by ordinal (1 DllCanUnloadNow,
// 2 DllGetClassObject); on failure prints why and returns false.
bool LoadModule();
// Unloads the module; the exports are unusable afterwards.
void UnloadModule();
const ModuleExports& Module();
// The loaded module as the host's core-driver session takes it; only while loaded.
const LoadedModule& LoadedPlugin();
// The module's file name, as GetModuleHandle finds it while loaded.
const wchar_t* ModuleFileName();

HRESULT CanUnloadNow();
// A class factory for `clsid`, or empty when the module refused it.
qp::ComPtr<IClassFactory> Factory(REFCLSID clsid);
// A new object made through the factory of `clsid`, or empty.
qp::ComPtr<IPrintOemUI2> NewUiPlugin(REFCLSID clsid = CLSID_OEMUI);
qp::ComPtr<IPrintOemPrintTicketProvider> NewProvider(REFCLSID clsid = CLSID_OEMPTPROVIDER);

// The object's reference count as its AddRef and Release report it.
ULONG RefCount(IUnknown* object);
// True when the process runs under Wine rather than Windows.
bool UnderWine();

// Owns a host fake (CoreHelperStub, FakeDriverPublisher) for one case and checks, when the case
// ends, that the module gave back every reference it took. Declare it before the module's
// objects so that they are gone by then.
template <class Fake>
class OwnedFake {
public:
    explicit OwnedFake(qp::ComPtr<Fake> fake) : fake_(std::move(fake)) {}
    OwnedFake(const OwnedFake&) = delete;
    OwnedFake& operator=(const OwnedFake&) = delete;
    ~OwnedFake() { CHECK_EQ(fake_->RefCount(), 1); }

    Fake* operator->() const { return fake_.get(); }
    Fake* get() const { return fake_.get(); }
    const qp::ComPtr<Fake>& holder() const { return fake_; }

private:
    qp::ComPtr<Fake> fake_;
};

}  // namespace wintest
