#include "patch/detail/block_growth.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "patch/detail/large_pages.h"

#if defined(__linux__)
#include <sys/mman.h>
#define HEXPANE_OWN_MAPPINGS 1
#endif

namespace hexpane::block_growth {

namespace {

#if HEXPANE_OWN_MAPPINGS
bool mapped(std::size_t capacity) { return capacity >= kMapped; }

void* map(std::size_t bytes) {
    void* block = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return block == MAP_FAILED ? nullptr : block;
}

void* remap(void* block, std::size_t capacity, std::size_t bytes) {
    void* moved = mremap(block, capacity, bytes, MREMAP_MAYMOVE);
    return moved == MAP_FAILED ? nullptr : moved;
}
#else
bool mapped(std::size_t /*capacity*/) { return false; }
void* map(std::size_t /*bytes*/) { return nullptr; }
void* remap(void* /*block*/, std::size_t /*capacity*/, std::size_t /*bytes*/) { return nullptr; }
#endif

}  // namespace

void* grow(void* block, std::size_t size, std::size_t capacity, std::size_t wanted, bool largePages) {
    void* grown = nullptr;
    if (mapped(capacity)) {
        grown = remap(block, capacity, wanted);
    } else if (mapped(wanted)) {
        grown = map(wanted);
        if (grown && size > 0) std::memcpy(grown, block, size);
        if (grown) std::free(block);
    } else {
        grown = std::realloc(block, wanted);
    }
    if (!grown) throw std::bad_alloc();
    if (largePages) large_pages::advise(grown, wanted);
    return grown;
}

Shrunk shrink(void* block, std::size_t size, std::size_t capacity) noexcept {
    if (size == capacity) return {block, capacity};
    if (mapped(capacity)) {
        // What lies beyond `size` and was never used costs no memory; a block
        // shrunk below kMapped stays as large, mapped by itself.
        const std::size_t kept = std::max(size, kMapped);
        if (kept == capacity) return {block, capacity};
        if (void* moved = remap(block, capacity, kept)) return {moved, kept};
        return {block, capacity};
    }
    if (size == 0) {
        std::free(block);
        return {nullptr, 0};
    }
    if (void* smaller = std::realloc(block, size)) return {smaller, size};
    return {block, capacity};
}

void release(void* block, std::size_t capacity) noexcept {
#if HEXPANE_OWN_MAPPINGS
    if (mapped(capacity)) {
        munmap(block, capacity);
        return;
    }
#endif
    std::free(block);
}

}  // namespace hexpane::block_growth
