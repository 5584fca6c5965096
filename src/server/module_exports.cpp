// The module's two exports, and nothing else: the core driver finds the class factory through
// DllGetClassObject and asks DllCanUnloadNow before it unloads the module.
#include <platform/com_ptr.h>
#include "common/null_reference.h"
#include "server/plugin_class_factory.h"
#include "server/server_lifetime.h"

#include <new>

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
    if (qp::IsNullAddress(&rclsid) || qp::IsNullAddress(&riid)) return E_INVALIDARG;
    if (ppv == nullptr) return E_POINTER;
    if (!IsEqualCLSID(rclsid, CLSID_OEMUI) && !IsEqualCLSID(rclsid, CLSID_OEMPTPROVIDER)) {
        return CLASS_E_CLASSNOTAVAILABLE;
    }

    const auto factory = qp::ComPtr<qp::PluginClassFactory>::Attach(new (std::nothrow) qp::PluginClassFactory());
    if (!factory) return E_OUTOFMEMORY;
    return factory->QueryInterface(riid, ppv);
}

STDAPI DllCanUnloadNow() { return qp::ServerCanUnload() ? S_OK : S_FALSE; }
