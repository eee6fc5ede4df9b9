// Searches through text sixteen bytes at a time, for the patch reader, whose
// lines and pieces may be of any length and hold any bytes. A search tests each
// byte with a test that marks sixteen bytes at once, and may read up to kSlack
// bytes before and after the text it is given: the reader's buffer keeps them
// readable.
#pragma once

#include <bit>
#include <cstddef>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace hexpane::scan {

constexpr std::size_t kWidth = 16;
constexpr std::size_t kSlack = 32;

// Sixteen bytes of text, and the outcome of a test on each of them: all bits set
// where it holds.
using Bytes = unsigned char __attribute__((vector_size(kWidth)));
using Marks = signed char __attribute__((vector_size(kWidth)));

inline Bytes load(const char* at) {
    Bytes bytes;
    std::memcpy(&bytes, at, sizeof bytes);
    return bytes;
}

// One bit per byte, the first byte in the lowest bit.
inline unsigned bits(Marks marks) {
#if defined(__SSE2__)
    return static_cast<unsigned>(_mm_movemask_epi8(reinterpret_cast<__m128i>(marks)));
#else
    unsigned result = 0;
    for (unsigned i = 0; i < kWidth; ++i) result |= (marks[i] != 0 ? 1u : 0u) << i;
    return result;
#endif
}

// Tests for the searches: the bytes that are one of `set`, and those that are none of it.
template <char... set>
struct AnyOf {
    Marks operator()(const char* at) const {
        const Bytes bytes = load(at);
        return ((bytes == static_cast<unsigned char>(set)) | ...);
    }
};
template <char... set>
struct NoneOf {
    Marks operator()(const char* at) const { return ~AnyOf<set...>()(at); }
};
template <char... set>
constexpr AnyOf<set...> anyOf{};
template <char... set>
constexpr NoneOf<set...> noneOf{};

// The first byte of [p, end) that `test` marks, or end.
template <class Test>
const char* find(const char* p, const char* end, Test test) {
    for (; p < end; p += kWidth) {
        if (const unsigned found = bits(test(p))) {
            const char* at = p + std::countr_zero(found);
            return at < end ? at : end;
        }
    }
    return end;
}

// Whether `test` marks no byte of [p, end).
template <class Test>
bool none(const char* p, const char* end, Test test) {
    for (; end - p > static_cast<std::ptrdiff_t>(kWidth); p += kWidth) {
        if (bits(test(p))) return false;
    }
    return (bits(test(p)) & ((1u << (end - p)) - 1)) == 0;
}

// The first n lanes marked, n <= kWidth.
inline Marks lanesBelow(std::size_t n) {
    constexpr Bytes kLanes = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
    return kLanes < static_cast<unsigned char>(n);
}

// Just past the last byte of [p, end) that `test` marks, or p when it marks none.
template <class Test>
const char* afterLast(const char* p, const char* end, Test test) {
    while (end > p) {
        const char* block = end - kWidth;
        unsigned found = bits(test(block));
        if (block < p) found &= ~0u << (p - block);
        if (found) return block + (std::bit_width(found));
        end = block;
    }
    return p;
}

}  // namespace hexpane::scan
