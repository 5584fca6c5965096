// The base of every stand-in COM object: an interlocked reference count that starts at 1, one
// ledger entry while alive, and allocation that fault injection can refuse.
#pragma once

#include "../runtime_internal.h"

#include <portable/test_support.h>

#include <cstdlib>
#include <new>
#include <utility>

namespace msxml {

class ComObject {
public:
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    ULONG AddRefObject() noexcept { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    ULONG ReleaseObject() noexcept {
        const LONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    // Objects come from malloc, so that a test's replacement of the global non-throwing new
    // does not count them a second time: NewObject consults fault injection once.
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

// Runs the body of an interface method: memory running out inside a standard container becomes
// E_OUTOFMEMORY instead of an exception crossing the interface.
template <class Body>
HRESULT NoThrow(Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

// An owned reference to anything with AddRef and Release.
template <class T>
class Ref {
public:
    Ref() noexcept = default;
    Ref(std::nullptr_t) noexcept {}
    // Shares `p`: takes a reference of its own.
    explicit Ref(T* p) noexcept : p_(p) {
        if (p_) p_->AddRef();
    }
    Ref(const Ref& other) noexcept : Ref(other.p_) {}
    Ref(Ref&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ~Ref() { reset(); }
    Ref& operator=(Ref other) noexcept {
        std::swap(p_, other.p_);
        return *this;
    }

    // Takes over a reference the caller owns.
    static Ref Adopt(T* p) noexcept {
        Ref r;
        r.p_ = p;
        return r;
    }

    T* get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    T& operator*() const noexcept { return *p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    T** put() noexcept {
        reset();
        return &p_;
    }
    [[nodiscard]] T* detach() noexcept { return std::exchange(p_, nullptr); }
    void reset() noexcept {
        if (T* old = std::exchange(p_, nullptr)) old->Release();
    }

private:
    T* p_ = nullptr;
};

}  // namespace msxml
