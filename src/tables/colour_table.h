// The colour table: pixel codes to colours, read from map.txt.
#pragma once

#include <array>
#include <cstdint>
#include <istream>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
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
    // lacks: what a picture is drawn through, one load per pixel. Made on the
    // first call after a change, so a table never drawn pays nothing for it;
    // callers on several threads at once share one.
    using CodeColours = std::array<ColourValue, 65536>;
    const CodeColours& codeColours() const;

private:
    // Keys are at most two characters (the first two of a map.txt line), so each
    // possible key has a number: the two-character ones first, then the others.
    // Slots come in pages of 16 keys, made when the first of their keys is added:
    // a lookup is two indexes, with no hashing and no allocation, and a table
    // costs memory only near the keys it holds (a map.txt: 32 pages, 4 KiB).
    // A slot holds kTaken | colour, or 0 when the key has no colour.
    static constexpr std::uint64_t kTaken = std::uint64_t{1} << 32;
    static constexpr std::size_t kKeys = 256 * 256 + 256;
    static constexpr std::size_t kPageSize = 16;
    static std::size_t keyOf(std::string_view code);  // of a code of one or two characters
    std::uint64_t find(std::size_t key) const;
    std::uint64_t& slot(std::size_t key);

    std::uint64_t empty_ = 0;                      // the empty key's slot
    std::uint16_t pages_[kKeys / kPageSize] = {};  // page number + 1 in slots_, 0 while there is none
    std::vector<std::uint64_t> slots_;             // the pages, one after the other
    std::size_t size_ = 0;

    // The code colours once made, shared by copies, as they never change; a
    // change to the table drops its own.
    class CodeColoursCache {
    public:
        CodeColoursCache() = default;
        CodeColoursCache(const CodeColoursCache& other) : colours_(other.shared()) {}
        CodeColoursCache& operator=(const CodeColoursCache& other);
        const CodeColours& get(const ColourTable& table) const;  // made from the table when there are none
        void drop() { colours_.reset(); }

    private:
        std::shared_ptr<const CodeColours> shared() const;

        mutable std::mutex mutex_;
        mutable std::shared_ptr<const CodeColours> colours_;
    };
    std::unique_ptr<const CodeColours> makeCodeColours() const;
    CodeColoursCache codeColours_;
};

// Problems are appended to `problems`, as data.
ColourTable readColourTable(std::istream& in, std::vector<TableProblem>& problems);
// The same, with each problem described in a line of text.
ColourTable readColourTable(std::istream& in, std::vector<std::string>* problems = nullptr);

}  // namespace hexpane
