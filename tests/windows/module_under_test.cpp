#include "module_under_test.h"

#include <cstdio>
#include <memory>
#include <string>

using qp::ComPtr;

namespace wintest {
namespace {

std::unique_ptr<LoadedModule> g_loaded;
ModuleExports g_module;

template <class Fn>
Fn Resolve(HMODULE module, WORD ordinal) {
    // void (*)() is the generic function pointer GCC accepts as the step between function types.
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, MAKEINTRESOURCEA(ordinal))));
}

template <class T>
ComPtr<T> Create(REFCLSID clsid, REFIID iid) {
    ComPtr<T> object;
    ComPtr<IClassFactory> factory = Factory(clsid);
    if (factory) factory->CreateInstance(nullptr, iid, object.put_void());
    return object;
}

}  // namespace

bool LoadModule() {
    std::string error;
    g_loaded = LoadedModule::Load(ModuleBesideExecutable(), error);
    if (!g_loaded) {
        std::printf("%s\n", error.c_str());
        return false;
    }
    g_module.handle = GetModuleHandleW(ModuleFileName());
    g_module.canUnloadNow = Resolve<PFN_DllCanUnloadNow>(g_module.handle, 1);
    g_module.getClassObject = Resolve<PFN_DllGetClassObject>(g_module.handle, 2);
    if (g_module.canUnloadNow == nullptr || g_module.getClassObject == nullptr) {
        std::printf("%s does not export ordinals 1 and 2\n", g_loaded->Path().c_str());
        return false;
    }
    return true;
}

void UnloadModule() {
    g_loaded.reset();
    g_module = ModuleExports{};
}

const ModuleExports& Module() { return g_module; }

const LoadedModule& LoadedPlugin() { return *g_loaded; }

const wchar_t* ModuleFileName() { return L"qpplugin.dll"; }

HRESULT CanUnloadNow() { return g_module.canUnloadNow(); }

ComPtr<IClassFactory> Factory(REFCLSID clsid) {
    ComPtr<IClassFactory> factory;
    g_module.getClassObject(clsid, IID_IClassFactory, factory.put_void());
    return factory;
}

ComPtr<IPrintOemUI2> NewUiPlugin(REFCLSID clsid) { return Create<IPrintOemUI2>(clsid, IID_IPrintOemUI2); }

ComPtr<IPrintOemPrintTicketProvider> NewProvider(REFCLSID clsid) {
    return Create<IPrintOemPrintTicketProvider>(clsid, IID_IPrintOemPrintTicketProvider);
}

ULONG RefCount(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

bool UnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace wintest
