// The throwing operator new of the tests that link it fails on the runtime's fault-injection count, as
// the non-throwing one does. Apart from the tests, so that no call site sees its malloc and free
// paired with new and delete.
#include <portable/test_support.h>

#include <cstdlib>
#include <new>

namespace {

// The runtime allocates on a thread's first count; that allocation is not asked about again.
thread_local bool t_asking = false;

bool NextAllocationFails() {
    if (t_asking) return false;
    t_asking = true;
    const bool fails = PortableFaultNextAllocationFails();
    t_asking = false;
    return fails;
}

}  // namespace

void* operator new(std::size_t size) {
    if (NextAllocationFails()) throw std::bad_alloc();
    if (void* block = std::malloc(size != 0 ? size : 1)) return block;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return ::operator new(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
