// The colour table: pixel codes to colours, read from map.txt.
#pragma once

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <istream>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tables/table_problem.h"

namespace hexpane {

using ColourValue = std::uint32_t;  // 0x00BBGGRR, or a system colour (top bit set)
inline constexpr ColourValue kWindowBackground = 0x80000005;
inline constexpr ColourValue kFaceColour = 0x8000000F;

class ColourTable {
public:
    bool add(std::string_view code, ColourValue colour);  // false, no change, when the key exists (case ignored)
    std::optional<ColourValue> lookup(std::string_view code) const;  // the pixel code, without "x_"
    std::size_t size() const;

    // The colour of every two-character code, under the code's two bytes as
    // they stand (the first one the high byte), black for a code the table
    // lacks: what a picture is drawn through, one load per pixel.
    using CodeColours = std::array<ColourValue, 65536>;
    const CodeColours& codeColours() const;

private:
    // Memory as calloc gives it, zero already, and elements made in it left as
    // they are: a block of this size comes as fresh pages that cost nothing
    // until used, so a table costs only the pages its codes fall on.
    template <class T>
    struct Zeroed {
        using value_type = T;
        Zeroed() = default;
        template <class U>
        explicit Zeroed(const Zeroed<U>& /*other*/) {}
        T* allocate(std::size_t n) {
            if (void* memory = std::calloc(n, sizeof(T))) return static_cast<T*>(memory);
            throw std::bad_alloc();
        }
        void deallocate(T* memory, std::size_t /*n*/) noexcept { std::free(memory); }
        template <class U>
        void construct(U* /*at*/) noexcept {}  // all zeros is the value: no code has a colour yet
        template <class U, class... Args>
        void construct(U* at, Args&&... args) {
            ::new (static_cast<void*>(at)) U(std::forward<Args>(args)...);
        }
        friend bool operator==(const Zeroed&, const Zeroed&) = default;
    };

    // Each code is stored under every letter-case form of itself, so a lookup
    // is one index with no folding. The colours of two-character codes, by the
    // code's two bytes, lie on the heap once the first is added, where a table
    // that is moved leaves them and one that is copied copies them; until then,
    // and in a table moved from, there are none.
    std::vector<CodeColours, Zeroed<CodeColours>> pairs_;
    std::bitset<65536> pairTaken_;
    std::array<ColourValue, 256> singles_{};  // one-character codes, by their byte
    std::bitset<256> singleTaken_;
    std::optional<ColourValue> empty_;  // the empty code's
    std::size_t size_ = 0;
};

// Problems are appended to `problems`, as data.
ColourTable readColourTable(std::istream& in, std::vector<TableProblem>& problems);
// The same, with each problem described in a line of text.
ColourTable readColourTable(std::istream& in, std::vector<std::string>* problems = nullptr);

}  // namespace hexpane
