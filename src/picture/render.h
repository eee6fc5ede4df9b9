// Rendering one pane: a hex text drawn through the colour table, one code per pixel.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "tables/colour_table.h"

namespace hexpane {

// What the pixel code C0 is drawn in: opt(0), opt(1), opt(2).
enum class TransparentColour { Form, Phone, Standard };
inline constexpr ColourValue kPhoneBackground = 0x00D0EBEB;

// width × height colour values, row-major. Pixels the text does not reach are
// kWindowBackground; a code the table lacks is black.
std::vector<ColourValue> renderPane(std::string_view hex, std::int32_t width, std::int32_t height,
                                    const ColourTable& colours, TransparentColour option);

}  // namespace hexpane
