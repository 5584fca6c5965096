// Reference parameters of COM entry points (REFIID, REFCLSID) are pointers at the ABI, and a C
// caller can pass a null one. Its address is tested before the reference is used or passed on;
// the address is read back through a volatile so that the compiler cannot fold the test away on
// the grounds that a reference is never null.
#pragma once

namespace qp {

inline bool IsNullAddress(const void* address) noexcept {
    const void* volatile copy = address;
    return copy == nullptr;
}

}  // namespace qp
