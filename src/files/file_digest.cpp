#include "files/file_digest.h"

#include <new>

// Only the inline functions: no library to link or ship.
#define XXH_INLINE_ALL
#include <xxhash.h>

namespace hexpane {

struct Digester::State {
    XXH3_state_t xxh;
};

Digester::Digester() : state_(std::make_unique<State>()) {
    if (XXH3_128bits_reset(&state_->xxh) != XXH_OK) throw std::bad_alloc();
}

Digester::~Digester() = default;

void Digester::add(const char* bytes, std::size_t size) {
    XXH3_128bits_update(&state_->xxh, bytes, size);
    size_ += size;
}

FileDigest Digester::result(bool whole) const {
    const XXH128_hash_t hash = XXH3_128bits_digest(&state_->xxh);
    return {size_, hash.low64, hash.high64, whole};
}

}  // namespace hexpane
