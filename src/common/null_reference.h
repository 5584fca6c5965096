// Reference parameters of COM entry points (REFIID, REFCLSID) are pointers at the ABI, and a C
// caller can pass a null one. The address is read back through a volatile so that the compiler
// cannot fold the test away on the grounds that a reference is never null.
#pragma once

namespace qp {

template <class T>
inline bool IsNullReference(const T& ref) noexcept {
    const T* volatile address = &ref;
    return address == nullptr;
}

}  // namespace qp
