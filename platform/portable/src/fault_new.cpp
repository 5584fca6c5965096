// Replaces the non-throwing operator new of the executable that links it, so that objects the
// plug-in makes with new (std::nothrow) fail on the same allocation count as the runtime's own
// allocations. The blocks come from the ordinary operator new, so the ordinary delete frees them.
#include <portable/test_support.h>

#include <new>

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    if (PortableFaultNextAllocationFails()) return nullptr;
    try {
        return ::operator new(size);
    } catch (...) {
        return nullptr;
    }
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    if (PortableFaultNextAllocationFails()) return nullptr;
    try {
        return ::operator new[](size);
    } catch (...) {
        return nullptr;
    }
}
