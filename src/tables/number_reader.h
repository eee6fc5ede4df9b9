// The number reader of the table files, and the whole-number conversion used
// for the widths and heights of the size table.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace hexpane {

// Blanks, tabs and line feeds are ignored wherever they stand; then an optional
// minus, decimal digits with at most one full stop, an optional exponent (E or e,
// optional sign, digits). Reading stops at the first character that fits none;
// no number reads 0. A text beginning with "&H" is read as hexadecimal digits.
double readNumber(std::string_view text);

// Blanks around, a leading sign, a fraction rounded half to even; empty text,
// other characters or a value outside the 32-bit range give no value.
std::optional<std::int32_t> readWholeNumber(std::string_view text);

}  // namespace hexpane
