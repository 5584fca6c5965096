// The base of every stand-in COM object: a reference count that starts at 1, one ledger entry
// while alive, and allocation that fault injection can refuse.
//
// The stand-in's objects are apartment objects, as MSXML's DOMDocument60 and its namespace
// manager are: a document, everything made from it, and a namespace manager are used by one
// thread at a time (each conversion call works on its own). Their counts are therefore plain
// increments; a locked instruction on every reference taken while a search walks a document
// would cost more than the rest of the walk.
#pragma once

#include <platform/com_ptr.h>
#include <platform/hresult_flow.h>
#include "../runtime_internal.h"

#include <portable/test_support.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

namespace msxml {

class ComObject {
public:
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    ULONG AddRefObject() noexcept { return static_cast<ULONG>(++refs_); }
    ULONG ReleaseObject() noexcept {
        const LONG left = --refs_;
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    // Objects bypass the global non-throwing new, so that a test's replacement of it does not
    // count them a second time: NewObject consults fault injection once.
    static void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return std::malloc(size); }
    static void operator delete(void* p) noexcept { std::free(p); }
    static void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }

protected:
    ComObject() noexcept { PortableLedgerAddDomObjects(1); }
    virtual ~ComObject() { PortableLedgerAddDomObjects(-1); }

private:
    LONG refs_ = 1;
};

// Makes a stand-in object with one reference, or null when the allocation is refused.
template <class T, class... Args>
T* NewObject(Args&&... args) noexcept {
    if (PortableFaultNextAllocationFails()) return nullptr;
    return new (std::nothrow) T(std::forward<Args>(args)...);
}

using qp::NoThrow;

// An owned reference: the holder the whole product uses.
template <class T>
using Ref = qp::ComPtr<T>;

}  // namespace msxml
