#include "picture/render.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>

namespace hexpane {

namespace {

// Only this exact text is redirected by the options; "c0" keeps its table colour.
constexpr std::string_view kTransparentCode = "C0";
constexpr unsigned kTransparentPair = unsigned{'C'} << 8 | unsigned{'0'};

ColourValue transparentColour(const ColourTable& colours, TransparentColour option) {
    switch (option) {
    case TransparentColour::Form:
        return kFaceColour;
    case TransparentColour::Phone:
        return kPhoneBackground;
    case TransparentColour::Standard:
        break;
    }
    return colours.lookup(kTransparentCode).value_or(0);
}

}  // namespace

std::vector<ColourValue> renderPane(std::string_view hex, std::int32_t width, std::int32_t height,
                                    const ColourTable& colours, TransparentColour option) {
    // Pixel positions are 32-bit, so a picture of more pixels than that has no fitting size.
    if (width < 1 || height < 1) return {};
    const std::int64_t pixels = std::int64_t{width} * height;
    if (pixels > std::numeric_limits<std::int32_t>::max()) return {};

    std::vector<ColourValue> out(static_cast<std::size_t>(pixels), kWindowBackground);
    const std::size_t whole = std::min(out.size(), hex.size() / 2);

    const ColourTable::CodeColours& codeColours = colours.codeColours();
    const ColourValue transparent = transparentColour(colours, option);
    const auto* text = reinterpret_cast<const unsigned char*>(hex.data());
    for (std::size_t k = 0; k < whole; ++k) {
        const unsigned pair = unsigned{text[2 * k]} << 8 | text[2 * k + 1];
        out[k] = pair == kTransparentPair ? transparent : codeColours[pair];
    }
    // An odd-length text ends in a one-character code, drawn when the picture reaches it.
    if (whole < out.size() && hex.size() % 2 == 1) out[whole] = colours.lookup(hex.substr(hex.size() - 1)).value_or(0);
    return out;
}

}  // namespace hexpane
