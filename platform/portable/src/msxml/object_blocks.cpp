#include "object_blocks.h"

#include <cstdlib>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define QP_HIDE_BLOCK(block, size) ASAN_POISON_MEMORY_REGION(block, size)
#define QP_SHOW_BLOCK(block, size) ASAN_UNPOISON_MEMORY_REGION(block, size)
#else
#define QP_HIDE_BLOCK(block, size) ((void)(block), (void)(size))
#define QP_SHOW_BLOCK(block, size) ((void)(block), (void)(size))
#endif

namespace msxml {
namespace {

constexpr std::size_t kGranule = 16;
constexpr std::size_t kClasses = 8;  // blocks of 16 to 128 bytes; larger objects use malloc
constexpr unsigned kShelfCapacity = 64;

struct FreeBlock {
    FreeBlock* next;
};

// Constant-initialised and trivially destructible, so reading it costs one load and no guard.
// `limit` is the most blocks a shelf keeps: 0 until the thread's emptier is in place, and again
// once it has run, so that one comparison serves for both.
struct Shelves {
    FreeBlock* top[kClasses];
    unsigned count[kClasses];
    unsigned limit;
    bool closed;
};

[[gnu::tls_model("initial-exec")]] thread_local Shelves t_shelves{};

std::size_t BlockSize(std::size_t sizeClass) { return (sizeClass + 1) * kGranule; }

void EmptyShelves() noexcept {
    for (std::size_t c = 0; c < kClasses; ++c) {
        while (FreeBlock* block = t_shelves.top[c]) {
            QP_SHOW_BLOCK(block, BlockSize(c));
            t_shelves.top[c] = block->next;
            std::free(block);
        }
        t_shelves.count[c] = 0;
    }
}

// Empties the thread's shelves when the thread ends (for the main thread, at exit); blocks freed
// after that go straight back to malloc.
class ShelvesEmptier {
public:
    ShelvesEmptier() noexcept { t_shelves.limit = kShelfCapacity; }
    ~ShelvesEmptier() {
        t_shelves.limit = 0;
        t_shelves.closed = true;
        EmptyShelves();
    }
    ShelvesEmptier(const ShelvesEmptier&) = delete;
    ShelvesEmptier& operator=(const ShelvesEmptier&) = delete;
};

void Shelve(FreeBlock* block, std::size_t c) noexcept {
    block->next = t_shelves.top[c];
    t_shelves.top[c] = block;
    ++t_shelves.count[c];
    QP_HIDE_BLOCK(block, BlockSize(c));
}

// A full shelf, or the thread's first block or its last ones.
[[gnu::noinline]] void FreeSlowly(FreeBlock* block, std::size_t c) noexcept {
    if (t_shelves.limit == 0 && !t_shelves.closed) {
        thread_local ShelvesEmptier emptier;
    }
    if (t_shelves.count[c] >= t_shelves.limit) return std::free(block);
    Shelve(block, c);
}

}  // namespace

void* AllocateObjectBlock(std::size_t size) noexcept {
    const std::size_t c = (size - 1) / kGranule;
    if (c >= kClasses) return std::malloc(size);
    FreeBlock* block = t_shelves.top[c];
    if (block == nullptr) return std::malloc(BlockSize(c));
    QP_SHOW_BLOCK(block, BlockSize(c));
    t_shelves.top[c] = block->next;
    --t_shelves.count[c];
    return block;
}

void FreeObjectBlock(void* block, std::size_t size) noexcept {
    if (block == nullptr) return;
    const std::size_t c = (size - 1) / kGranule;
    if (c >= kClasses) return std::free(block);
    auto* freed = static_cast<FreeBlock*>(block);
    if (t_shelves.count[c] >= t_shelves.limit) return FreeSlowly(freed, c);
    Shelve(freed, c);
}

}  // namespace msxml
