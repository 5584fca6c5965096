// The module's outer shell through the real COM ABI: exports, class selection, aggregation,
// the unload rules and reference counts.
#include "check.h"
#include "module_under_test.h"

#include <cstdint>

using qp::ComPtr;

using namespace wintest;

namespace {

IUnknown* const kUntouched = reinterpret_cast<IUnknown*>(static_cast<uintptr_t>(0x5A5A5A5A));

// Which of the two plug-in objects `object` is, by the interfaces it answers.
enum class Kind { UiPlugin, Provider, Neither };
Kind KindOf(IUnknown* object) {
    ComPtr<IPrintOemUI2> ui;
    ComPtr<IPrintOemPrintTicketProvider> provider;
    const bool isUi = object->QueryInterface(IID_IPrintOemUI2, ui.put_void()) == S_OK;
    const bool isProvider = object->QueryInterface(IID_IPrintOemPrintTicketProvider, provider.put_void()) == S_OK;
    if (isUi && !isProvider) return Kind::UiPlugin;
    if (isProvider && !isUi) return Kind::Provider;
    return Kind::Neither;
}

}  // namespace

WT_CASE(ExportsResolveByOrdinalAndByName) {
    HMODULE module = Module().handle;
    CHECK(reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")) ==
          reinterpret_cast<void*>(Module().canUnloadNow));
    CHECK(reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")) ==
          reinterpret_cast<void*>(Module().getClassObject));
    // No self-registration and nothing beyond the two ordinals.
    CHECK(GetProcAddress(module, "DllRegisterServer") == nullptr);
    CHECK(GetProcAddress(module, "DllUnregisterServer") == nullptr);
    CHECK(GetProcAddress(module, MAKEINTRESOURCEA(3)) == nullptr);
}

WT_CASE(UnknownClassIdIsRefusedWithoutWritingTheOut) {
    IUnknown* out = kUntouched;
    CHECK_HR(Module().getClassObject(IID_IPrintOemUI2, IID_IClassFactory, reinterpret_cast<void**>(&out)),
             CLASS_E_CLASSNOTAVAILABLE);
    CHECK(out == kUntouched);
    CHECK_HR(CanUnloadNow(), S_OK);
}

WT_CASE(BothClassIdsHandOutAFactoryForIUnknownAndIClassFactory) {
    for (const CLSID* clsid : {&CLSID_OEMUI, &CLSID_OEMPTPROVIDER}) {
        for (const IID* iid : {&IID_IUnknown, &IID_IClassFactory}) {
            ComPtr<IUnknown> factory;
            CHECK_HR(Module().getClassObject(*clsid, *iid, factory.put_void()), S_OK);
            CHECK(factory && RefCount(factory.get()) == 1);
            CHECK_HR(CanUnloadNow(), S_FALSE);
        }
    }
}

WT_CASE(FactoryRequestForAPluginInterfaceFailsAndLeavesNothing) {
    IUnknown* out = kUntouched;
    CHECK_HR(Module().getClassObject(CLSID_OEMUI, IID_IPrintOemUI2, reinterpret_cast<void**>(&out)), E_NOINTERFACE);
    CHECK(out == nullptr);
    CHECK_HR(CanUnloadNow(), S_OK);
}

WT_CASE(FactoryAnswersOnlyIUnknownAndIClassFactory) {
    ComPtr<IClassFactory> factory = Factory(CLSID_OEMUI);
    REQUIRE(factory);
    ComPtr<IUnknown> unknown;
    CHECK_HR(factory->QueryInterface(IID_IUnknown, unknown.put_void()), S_OK);
    CHECK(unknown.get() == static_cast<IUnknown*>(factory.get()));
    IUnknown* out = kUntouched;
    CHECK_HR(factory->QueryInterface(IID_IPrintOemUI2, reinterpret_cast<void**>(&out)), E_NOINTERFACE);
    CHECK(out == nullptr);
}

// The interface id alone chooses the object, whichever class id the factory came from.
WT_CASE(InterfaceIdChoosesTheObjectForBothClassIds) {
    for (const CLSID* clsid : {&CLSID_OEMUI, &CLSID_OEMPTPROVIDER}) {
        ComPtr<IClassFactory> factory = Factory(*clsid);
        REQUIRE(factory);
        const struct {
            const IID* iid;
            Kind kind;
        } table[] = {{&IID_IUnknown, Kind::UiPlugin},
                     {&IID_IPrintOemUI2, Kind::UiPlugin},
                     {&IID_IPrintOemPrintTicketProvider, Kind::Provider}};
        for (const auto& row : table) {
            ComPtr<IUnknown> object;
            CHECK_HR(factory->CreateInstance(nullptr, *row.iid, object.put_void()), S_OK);
            CHECK(object && KindOf(object.get()) == row.kind);
            CHECK(object && RefCount(object.get()) == 1);
        }
        for (const IID* refused : {&IID_IClassFactory, &IID_IPrintOemUI, &IID_IPrintOemCommon, &IID_IPrintCoreHelper}) {
            IUnknown* out = kUntouched;
            CHECK_HR(factory->CreateInstance(nullptr, *refused, reinterpret_cast<void**>(&out)), E_NOINTERFACE);
            CHECK(out == nullptr);
        }
        factory.reset();
        CHECK_HR(CanUnloadNow(), S_OK);
    }
}

WT_CASE(AggregationIsRefused) {
    ComPtr<IClassFactory> factory = Factory(CLSID_OEMUI);
    REQUIRE(factory);
    ComPtr<IClassFactory> outer = Factory(CLSID_OEMPTPROVIDER);
    REQUIRE(outer);
    for (const IID* iid : {&IID_IUnknown, &IID_IPrintOemUI2, &IID_IPrintOemPrintTicketProvider}) {
        IUnknown* out = kUntouched;
        CHECK_HR(factory->CreateInstance(outer.get(), *iid, reinterpret_cast<void**>(&out)), CLASS_E_NOAGGREGATION);
        CHECK(out == kUntouched);
    }
    CHECK(RefCount(outer.get()) == 1);
}

WT_CASE(ModuleStaysWhileAnyObjectLives) {
    ComPtr<IClassFactory> factory = Factory(CLSID_OEMPTPROVIDER);
    REQUIRE(factory);
    CHECK_HR(CanUnloadNow(), S_FALSE);
    ComPtr<IPrintOemUI2> ui;
    ComPtr<IPrintOemPrintTicketProvider> provider;
    factory->CreateInstance(nullptr, IID_IPrintOemUI2, ui.put_void());
    factory->CreateInstance(nullptr, IID_IPrintOemPrintTicketProvider, provider.put_void());
    REQUIRE(ui && provider);
    factory.reset();
    CHECK_HR(CanUnloadNow(), S_FALSE);
    ui.reset();
    CHECK_HR(CanUnloadNow(), S_FALSE);
    // AddRef and Release return the new count; the final Release returns 0 and lets go.
    IPrintOemPrintTicketProvider* raw = provider.detach();
    CHECK_EQ(raw->AddRef(), 2);
    CHECK_EQ(raw->Release(), 1);
    CHECK_EQ(raw->Release(), 0);
    CHECK_HR(CanUnloadNow(), S_OK);
}

WT_CASE(LocksAreCountedWithoutAFloor) {
    ComPtr<IClassFactory> factory = Factory(CLSID_OEMUI);
    REQUIRE(factory);
    CHECK_HR(factory->LockServer(TRUE), S_OK);
    CHECK_HR(factory->LockServer(TRUE), S_OK);
    CHECK_HR(factory->LockServer(FALSE), S_OK);
    factory.reset();
    CHECK_HR(CanUnloadNow(), S_FALSE);
    factory = Factory(CLSID_OEMUI);
    CHECK_HR(factory->LockServer(FALSE), S_OK);
    factory.reset();
    CHECK_HR(CanUnloadNow(), S_OK);
    // An unlock with no lock takes the count below zero, which also keeps the module.
    factory = Factory(CLSID_OEMUI);
    CHECK_HR(factory->LockServer(FALSE), S_OK);
    factory.reset();
    CHECK_HR(CanUnloadNow(), S_FALSE);
    factory = Factory(CLSID_OEMUI);
    CHECK_HR(factory->LockServer(TRUE), S_OK);
}
