// The colour table: pixel codes to colours, read from map.txt.
#pragma once

#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hexpane {

using ColourValue = std::uint32_t;  // 0x00BBGGRR, or a system colour (top bit set)
inline constexpr ColourValue kWindowBackground = 0x80000005;
inline constexpr ColourValue kFaceColour = 0x8000000F;

class ColourTable {
public:
    bool add(std::string_view code, ColourValue colour);             // false, no change, when the key exists (case ignored)
    std::optional<ColourValue> lookup(std::string_view code) const;  // the pixel code, without "x_"
    std::size_t size() const;

private:
    // Keys are at most two characters (the first two of a map.txt line), so
    // every possible key has its own slot: no hashing and no allocation per lookup.
    static constexpr std::size_t kSlots = 1 + 256 + 256 * 256;
    static std::size_t slotOf(std::string_view code);  // kSlots when no key can match

    std::vector<std::optional<ColourValue>> slots_ = std::vector<std::optional<ColourValue>>(kSlots);
    std::size_t size_ = 0;
};

ColourTable readColourTable(std::istream& in, std::vector<std::string>* problems = nullptr);

}  // namespace hexpane
