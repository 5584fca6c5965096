// Reference counting, live-object accounting and QueryInterface shared by the server's three
// COM classes. The reference count is the first field after the interface table and starts at 1;
// the final Release destroys the object, whose destructor releases what it holds before the
// live-object count drops.
#pragma once

#include "common/null_reference.h"
#include "server/server_lifetime.h"

#include <atomic>
#include <initializer_list>

namespace qp {

template <class Derived, class Interface>
class ServerObject : public Interface {
public:
    ServerObject(const ServerObject&) = delete;
    ServerObject& operator=(const ServerObject&) = delete;

    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs_); }

    ULONG STDMETHODCALLTYPE Release() override {
        const LONG refs = --refs_;
        if (refs == 0) delete static_cast<Derived*>(this);
        return static_cast<ULONG>(refs);
    }

protected:
    ServerObject() noexcept { NoteObjectCreated(); }
    ~ServerObject() { NoteObjectDestroyed(); }

    // Hands out this object, AddRef'ed, when `riid` is one of `served`; otherwise nulls the
    // out-pointer and answers E_NOINTERFACE.
    HRESULT AnswerQueryInterface(REFIID riid, void** ppv, std::initializer_list<IID> served) noexcept {
        if (ppv == nullptr) return E_POINTER;
        *ppv = nullptr;
        if (IsNullAddress(&riid)) return E_INVALIDARG;
        for (const IID& iid : served) {
            if (IsEqualIID(riid, iid)) {
                AddRef();
                *ppv = static_cast<Interface*>(this);
                return S_OK;
            }
        }
        return E_NOINTERFACE;
    }

private:
    std::atomic<LONG> refs_{1};
};

}  // namespace qp
