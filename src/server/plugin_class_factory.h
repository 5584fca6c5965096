// The one class factory of the module. It serves both class ids and keeps no record of which
// one it was obtained for: the interface id asked of CreateInstance alone chooses the object.
#pragma once

#include "server/server_object.h"

namespace qp {

class PluginClassFactory final : public ServerObject<PluginClassFactory, IClassFactory> {
public:
    PluginClassFactory() noexcept = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    // Makes a DriverUIPlugin for IUnknown and IPrintOemUI2, a PrintTicketProvider for
    // IPrintOemPrintTicketProvider, and nothing for any other interface id.
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL fLock) override;
};

}  // namespace qp
