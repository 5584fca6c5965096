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

struct Shelf {
    FreeBlock* top;
    unsigned count;
};

// Constant-initialised and trivially destructible, so reading it costs one load and no guard;
// `open` says whether the thread's emptier is in place, `closed` that it has run.
struct Shelves {
    Shelf shelf[kClasses];
    bool open;
    bool closed;
};

[[gnu::tls_model("initial-exec")]] thread_local Shelves t_shelves{};

std::size_t ClassOf(std::size_t size) { return (size - 1) / kGranule; }
std::size_t BlockSize(std::size_t sizeClass) { return (sizeClass + 1) * kGranule; }

void EmptyShelves() noexcept {
    for (std::size_t c = 0; c < kClasses; ++c) {
        Shelf& shelf = t_shelves.shelf[c];
        while (FreeBlock* block = shelf.top) {
            QP_SHOW_BLOCK(block, BlockSize(c));
            shelf.top = block->next;
            std::free(block);
        }
        shelf.count = 0;
    }
}

// Empties the thread's shelves when the thread ends (for the main thread, at exit); blocks freed
// after that go straight back to malloc.
class ShelvesEmptier {
public:
    ShelvesEmptier() noexcept { t_shelves.open = true; }
    ~ShelvesEmptier() {
        EmptyShelves();
        t_shelves.open = false;
        t_shelves.closed = true;
    }
    ShelvesEmptier(const ShelvesEmptier&) = delete;
    ShelvesEmptier& operator=(const ShelvesEmptier&) = delete;
};

[[gnu::noinline]] bool OpenShelves() noexcept {
    if (t_shelves.closed) return false;
    thread_local ShelvesEmptier emptier;
    return t_shelves.open;
}

}  // namespace

void* AllocateObjectBlock(std::size_t size) noexcept {
    if (size == 0 || size > kClasses * kGranule) return std::malloc(size);
    const std::size_t c = ClassOf(size);
    Shelf& shelf = t_shelves.shelf[c];
    if (FreeBlock* block = shelf.top) {
        QP_SHOW_BLOCK(block, BlockSize(c));
        shelf.top = block->next;
        --shelf.count;
        return block;
    }
    return std::malloc(BlockSize(c));
}

void FreeObjectBlock(void* block, std::size_t size) noexcept {
    if (block == nullptr) return;
    if (size == 0 || size > kClasses * kGranule) return std::free(block);
    const std::size_t c = ClassOf(size);
    Shelf& shelf = t_shelves.shelf[c];
    if (shelf.count >= kShelfCapacity || (!t_shelves.open && !OpenShelves())) return std::free(block);
    auto* freed = static_cast<FreeBlock*>(block);
    freed->next = shelf.top;
    shelf.top = freed;
    ++shelf.count;
    QP_HIDE_BLOCK(freed, BlockSize(c));
}

}  // namespace msxml
