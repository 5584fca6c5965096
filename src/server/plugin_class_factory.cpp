#include "server/plugin_class_factory.h"

#include <platform/com_ptr.h>
#include "server/driver_ui_plugin.h"
#include "server/print_ticket_provider.h"

#include <new>

namespace qp {
namespace {

// Makes one object and answers `riid` from it; the object survives only in the caller's hands.
template <class Object>
HRESULT MakeAndQuery(REFIID riid, void** ppv) noexcept {
    const auto object = ComPtr<Object>::Attach(new (std::nothrow) Object());
    if (!object) return E_OUTOFMEMORY;
    return object->QueryInterface(riid, ppv);
}

}  // namespace

HRESULT PluginClassFactory::QueryInterface(REFIID riid, void** ppv) {
    return AnswerQueryInterface(riid, ppv, {IID_IUnknown, IID_IClassFactory});
}

HRESULT PluginClassFactory::CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv) {
    if (pUnkOuter != nullptr) return CLASS_E_NOAGGREGATION;
    if (IsNullAddress(&riid)) return E_INVALIDARG;
    if (ppv == nullptr) return E_POINTER;

    // The UI plug-in is tried first and is already gone when it refuses the interface.
    const HRESULT hr = MakeAndQuery<DriverUIPlugin>(riid, ppv);
    if (hr != E_NOINTERFACE) return hr;
    return MakeAndQuery<PrintTicketProvider>(riid, ppv);
}

HRESULT PluginClassFactory::LockServer(BOOL fLock) {
    NoteServerLock(fLock != FALSE);
    return S_OK;
}

}  // namespace qp
