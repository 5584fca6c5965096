// HRESULT flow by early return, for the plug-in and the host alike. The macros take an HRESULT
// expression only.
#pragma once

#include <platform/platform.h>

#include <new>
#include <type_traits>

namespace qp::detail {
template <class T>
constexpr HRESULT CheckedHr(T hr) noexcept {
    static_assert(std::is_same_v<T, HRESULT>, "expects an HRESULT");
    return hr;
}
}  // namespace qp::detail

// Returns the HRESULT when it is a failure code.
#define RETURN_IF_FAILED(expr)                                        \
    do {                                                              \
        const HRESULT qpHr_ = ::qp::detail::CheckedHr((expr));        \
        if (FAILED(qpHr_)) return qpHr_;                              \
    } while (0)

// Returns the HRESULT unless it is exactly S_OK (S_FALSE included), as the callers of finders do.
#define RETURN_IF_NOT_OK(expr)                                        \
    do {                                                              \
        const HRESULT qpHr_ = ::qp::detail::CheckedHr((expr));        \
        if (qpHr_ != S_OK) return qpHr_;                              \
    } while (0)

namespace qp {

// Runs the body of a COM method: memory running out inside a standard container becomes
// E_OUTOFMEMORY instead of an exception crossing the interface.
template <class Body>
HRESULT NoThrow(Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

}  // namespace qp
