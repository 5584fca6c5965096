#include "server_fixture.h"

#include <session/loaded_module.h>

#include <dlfcn.h>

#include <memory>

using qp::ComPtr;

namespace servertest {

const ModuleExports& Module() {
    static const std::unique_ptr<LoadedModule> module = [] {
        std::string error;
        std::unique_ptr<LoadedModule> loaded = LoadedModule::Load(QP_MODULE_PATH, error);
        if (!loaded) ADD_FAILURE() << error;
        return loaded;
    }();
    static const ModuleExports exports = [] {
        if (!module) return ModuleExports{};
        // The loader hands out the exports with reference parameters; a C caller's view of
        // DllGetClassObject comes from the already loaded module.
        void* handle = dlopen(QP_MODULE_PATH, RTLD_NOW | RTLD_NOLOAD);
        void* raw = handle ? dlsym(handle, "DllGetClassObject") : nullptr;
        if (handle) dlclose(handle);
        return ModuleExports{
            [](REFCLSID clsid, REFIID iid, LPVOID* ppv) { return module->GetClassObject(clsid, iid, ppv); },
            [] { return module->CanUnloadNow(); }, reinterpret_cast<RawGetClassObject>(raw)};
    }();
    return exports;
}

void ModuleTest::SetUp() {
    ASSERT_NE(Module().getClassObject, nullptr);
    ASSERT_NE(Module().canUnloadNow, nullptr);
    ASSERT_EQ(Module().canUnloadNow(), S_OK) << "an earlier case left an object or a lock";
    LedgerTest::SetUp();
}

void ModuleTest::TearDown() {
    EXPECT_EQ(Module().canUnloadNow(), S_OK) << "an object or a lock outlived the case";
    LedgerTest::TearDown();
}

ComPtr<IClassFactory> ModuleTest::Factory(REFCLSID clsid) {
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(Module().getClassObject(clsid, IID_IClassFactory, factory.put_void()), S_OK);
    return factory;
}

ComPtr<FakeDriverPublisher> Offered(bool coreHelper, bool driverUi) {
    ComPtr<FakeDriverPublisher> offered =
        FakeDriverPublisher::Create(coreHelper ? CoreHelperStub::Create() : nullptr, driverUi);
    if (!coreHelper) offered->FailQuery(IID_IPrintCoreHelper, kCoreHelperRefused);
    if (!driverUi) offered->FailQuery(IID_IPrintOemDriverUI, kDriverUiRefused);
    return offered;
}

}  // namespace servertest
