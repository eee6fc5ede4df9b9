// The blocks of memory a Pictures grows as the read goes on: its texts and
// records. A block of kMapped bytes or more is mapped by itself, where the system
// offers that, and grows by remapping its pages, never copied; a smaller one
// comes from malloc. So a block is never held twice as it grows, but for a copy
// of less than kMapped, and the heap, which may grow in large steps and keep
// free room at its top, holds no large block.
#pragma once

#include <cstddef>

namespace hexpane::block_growth {

inline constexpr std::size_t kMapped = std::size_t{1} << 20;

// Grows `block`, of `capacity` bytes of which the first `size` are kept, to
// `wanted` bytes, and asks for large pages for it when `largePages`. Throws
// std::bad_alloc, leaving the block as it was, when the memory is not to be had.
void* grow(void* block, std::size_t size, std::size_t capacity, std::size_t wanted, bool largePages);

// Gives back what it can of `block`, of `capacity` bytes, beyond its first
// `size`: the block, maybe moved, and its capacity now.
struct Shrunk {
    void* block;
    std::size_t capacity;
};
Shrunk shrink(void* block, std::size_t size, std::size_t capacity) noexcept;

void release(void* block, std::size_t capacity) noexcept;

}  // namespace hexpane::block_growth
