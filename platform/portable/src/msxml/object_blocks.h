// Memory for stand-in COM objects. A search makes and frees a node object, an attribute map and
// an attribute object for every element it passes, so freed blocks are kept on a shelf per
// thread and size class and handed out again without a trip through malloc. Each shelf keeps a
// few dozen blocks at most; a thread's shelves are emptied when it ends.
#pragma once

#include <cstddef>

namespace msxml {

// A block of at least `size` bytes, or null when memory runs out. Never consults fault
// injection: the object's maker does that once.
void* AllocateObjectBlock(std::size_t size) noexcept;

// Gives back a block from AllocateObjectBlock with the same `size`, on any thread.
void FreeObjectBlock(void* block, std::size_t size) noexcept;

}  // namespace msxml
