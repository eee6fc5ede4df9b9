#include "tables/colour_table.h"

namespace hexpane {

namespace {

// Keys compare with ASCII letter case ignored; every other byte stands as it is.
constexpr std::size_t folded(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= 'a' && byte <= 'z') ? byte - ('a' - 'A') : byte;
}

}  // namespace

std::size_t ColourTable::slotOf(std::string_view code) {
    switch (code.size()) {
    case 0: return 0;
    case 1: return 1 + folded(code[0]);
    case 2: return 1 + 256 + folded(code[0]) * 256 + folded(code[1]);
    default: return kSlots;
    }
}

bool ColourTable::add(std::string_view code, ColourValue colour) {
    const std::size_t slot = slotOf(code);
    if (slot == kSlots || slots_[slot]) return false;
    slots_[slot] = colour;
    ++size_;
    return true;
}

std::optional<ColourValue> ColourTable::lookup(std::string_view code) const {
    const std::size_t slot = slotOf(code);
    return slot == kSlots ? std::nullopt : slots_[slot];
}

std::size_t ColourTable::size() const { return size_; }

// readColourTable: see below.
ColourTable readColourTable(std::istream&, std::vector<std::string>*) { return {}; }

}  // namespace hexpane
