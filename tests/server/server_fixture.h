// Module-level test support: the built module loaded once and reached only through its two
// exports, fixtures that check the ledger and that every object has gone, and the objects the
// core driver publishes.
#pragma once

#include "support/ledger_check.h"

#include <platform/com_ptr.h>
#include <session/fake_driver_publisher.h>

#include <cstddef>

namespace servertest {

// The exports as a C caller sees them, whose reference parameters are plain pointers.
using RawGetClassObject = HRESULT(STDAPICALLTYPE*)(const CLSID*, const IID*, void**);

struct ModuleExports {
    PFN_DllGetClassObject getClassObject;
    PFN_DllCanUnloadNow canUnloadNow;
    RawGetClassObject rawGetClassObject;
};

// A method of a COM object reached as a C caller reaches it, through the interface table, with
// the object as first argument and plain pointers for its interface ids.
template <class Function>
Function VtableSlot(IUnknown* object, size_t slot) {
    void* const* table = *reinterpret_cast<void* const* const*>(object);
    return reinterpret_cast<Function>(table[slot]);
}
using RawQueryInterface = HRESULT(STDMETHODCALLTYPE*)(IUnknown*, const IID*, void**);
using RawCreateInstance = HRESULT(STDMETHODCALLTYPE*)(IUnknown*, IUnknown*, const IID*, void**);

// The module at QP_MODULE_PATH, loaded on first use and kept for the process.
const ModuleExports& Module();

// Every case starts and ends with the module unloadable and the ledger balanced.
class ModuleTest : public LedgerTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // A class factory for `clsid` from DllGetClassObject; fails the test when there is none.
    static qp::ComPtr<IClassFactory> Factory(REFCLSID clsid = CLSID_OEMUI);
    // An object made by the factory for `iid`.
    template <class T>
    static qp::ComPtr<T> Create(REFIID iid, REFCLSID clsid = CLSID_OEMUI) {
        qp::ComPtr<T> object;
        EXPECT_EQ(Factory(clsid)->CreateInstance(nullptr, iid, object.put_void()), S_OK);
        return object;
    }
};

// The refusal codes of Offered(), distinct so that a test sees whose failure came back.
inline constexpr HRESULT kCoreHelperRefused = static_cast<HRESULT>(0x80040201);
inline constexpr HRESULT kDriverUiRefused = static_cast<HRESULT>(0x80040202);

// An object the core driver publishes, supplying IPrintCoreHelper (a stub's), IPrintOemDriverUI,
// both or neither, and refusing the others with the codes above.
qp::ComPtr<FakeDriverPublisher> Offered(bool coreHelper, bool driverUi);

}  // namespace servertest
