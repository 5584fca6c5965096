// Owning holders for COM references, BSTRs, VARIANTs and task memory. Every reference or
// string the plug-in, its hosts and the DOM stand-in obtain lives in one of these, so every path releases it. Out-parameters
// are received through put(), which releases what the holder had first; ownership leaves only
// through detach().
#pragma once

#include <platform/platform.h>

#include <cstddef>
#include <utility>

namespace qp {

template <class T>
class ComPtr {
public:
    ComPtr() noexcept = default;
    ComPtr(std::nullptr_t) noexcept {}
    // Shares `p`: takes a reference of its own.
    explicit ComPtr(T* p) noexcept : p_(p) {
        if (p_) p_->AddRef();
    }
    ComPtr(const ComPtr& other) noexcept : ComPtr(other.p_) {}
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ~ComPtr() { reset(); }

    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(p_, other.p_);
        return *this;
    }

    // Adopts a reference the caller already owns.
    static ComPtr Attach(T* p) noexcept {
        ComPtr holder;
        holder.p_ = p;
        return holder;
    }

    T* get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    T& operator*() const noexcept { return *p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }

    // Releases what is held and hands out the slot for an out-parameter.
    T** put() noexcept {
        reset();
        return &p_;
    }
    void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

    // Gives up ownership without releasing.
    [[nodiscard]] T* detach() noexcept { return std::exchange(p_, nullptr); }

    void reset() noexcept {
        if (T* old = std::exchange(p_, nullptr)) old->Release();
    }

    // QueryInterface for another interface into `out`; the result is QueryInterface's.
    template <class U>
    HRESULT QueryTo(REFIID iid, ComPtr<U>& out) const noexcept {
        return p_->QueryInterface(iid, out.put_void());
    }

private:
    T* p_ = nullptr;
};

// A BSTR owned by this holder and freed with SysFreeString.
class Bstr {
public:
    Bstr() noexcept = default;
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    Bstr(Bstr&& other) noexcept : s_(std::exchange(other.s_, nullptr)) {}
    Bstr& operator=(Bstr&& other) noexcept {
        if (this != &other) {
            reset();
            s_ = std::exchange(other.s_, nullptr);
        }
        return *this;
    }
    ~Bstr() { reset(); }

    // Adopts a string the caller already owns.
    static Bstr Attach(BSTR s) noexcept {
        Bstr holder;
        holder.s_ = s;
        return holder;
    }
    // Copies a NUL-terminated string; empty (null) when the allocation fails.
    static Bstr Copy(const WCHAR* text) noexcept { return Attach(SysAllocString(text)); }

    BSTR get() const noexcept { return s_; }
    explicit operator bool() const noexcept { return s_ != nullptr; }
    UINT Length() const noexcept { return SysStringLen(s_); }

    BSTR* put() noexcept {
        reset();
        return &s_;
    }
    [[nodiscard]] BSTR detach() noexcept { return std::exchange(s_, nullptr); }
    void reset() noexcept {
        if (BSTR old = std::exchange(s_, nullptr)) SysFreeString(old);
    }

private:
    BSTR s_ = nullptr;
};

// A VARIANT initialised on construction and cleared on every exit.
class Variant {
public:
    Variant() noexcept { VariantInit(&v_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { VariantClear(&v_); }

    // A VT_I4 value, as createNode's node type.
    static Variant Int32(LONG value) noexcept {
        Variant v;
        v.v_.vt = VT_I4;
        v.v_.lVal = value;
        return v;
    }

    VARIANT& get() noexcept { return v_; }
    const VARIANT& get() const noexcept { return v_; }
    // Clears what is held and hands out the VARIANT for an out-parameter.
    VARIANT* put() noexcept {
        VariantClear(&v_);
        return &v_;
    }

private:
    Variant(Variant&& other) noexcept : v_(other.v_) { VariantInit(&other.v_); }
    VARIANT v_;
};

// A block of task memory freed with CoTaskMemFree unless detached.
template <class T>
class CoTaskMemPtr {
public:
    CoTaskMemPtr() noexcept = default;
    explicit CoTaskMemPtr(T* p) noexcept : p_(p) {}
    CoTaskMemPtr(const CoTaskMemPtr&) = delete;
    CoTaskMemPtr& operator=(const CoTaskMemPtr&) = delete;
    ~CoTaskMemPtr() { reset(); }

    // Allocates `count` elements; empty when the allocation fails.
    static CoTaskMemPtr Allocate(size_t count) noexcept {
        return CoTaskMemPtr(static_cast<T*>(CoTaskMemAlloc(count * sizeof(T))));
    }

    T* get() const noexcept { return p_; }
    T& operator[](size_t i) const noexcept { return p_[i]; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    [[nodiscard]] T* detach() noexcept { return std::exchange(p_, nullptr); }
    void reset() noexcept {
        if (T* old = std::exchange(p_, nullptr)) CoTaskMemFree(old);
    }

private:
    T* p_ = nullptr;
};

}  // namespace qp
