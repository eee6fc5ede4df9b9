// renderPane against the pixel mapping: pixel k comes from characters 2k and
// 2k + 1 of the hex text, through the colour table, with C0 redirected by the
// option; pixels the text does not reach keep the background.
//
// Input: width and height in two bytes each, then a colour table text, the
// separator "@@@@" and the hex text. Without a separator the rest is both.
#include <array>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "picture/render.h"
#include "tables/colour_table.h"

namespace {

constexpr std::string_view kSeparator = "@@@@";

// -8 to 511: mostly real sizes, now and then none.
std::int32_t side(const std::uint8_t* bytes) { return static_cast<std::int32_t>((bytes[0] << 8 | bytes[1]) % 520) - 8; }

hexpane::ColourValue expected(std::string_view code, const hexpane::ColourTable& colours,
                              hexpane::TransparentColour option) {
    if (code == "C0" && option == hexpane::TransparentColour::Form) return hexpane::kFaceColour;
    if (code == "C0" && option == hexpane::TransparentColour::Phone) return hexpane::kPhoneBackground;
    return colours.lookup(code).value_or(0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return -1;
    const std::int32_t width = side(data);
    const std::int32_t height = side(data + 2);
    const std::string_view rest(reinterpret_cast<const char*>(data + 4), size - 4);
    const std::size_t separator = rest.find(kSeparator);
    const std::string_view map = rest.substr(0, separator);
    const std::string_view hex = separator == std::string_view::npos ? rest : rest.substr(separator + kSeparator.size());

    std::istringstream in{std::string(map)};
    const hexpane::ColourTable colours = hexpane::readColourTable(in);

    constexpr std::array options = {hexpane::TransparentColour::Form, hexpane::TransparentColour::Phone,
                                    hexpane::TransparentColour::Standard};
    for (const auto option : options) {
        const auto pane = hexpane::renderPane(hex, width, height, colours, option);
        if (width < 1 || height < 1) {
            FUZZ_CHECK(pane.empty());
            continue;
        }
        const auto pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
        FUZZ_CHECK(pane.size() == pixels);
        const std::size_t reached = (hex.size() + 1) / 2;  // the last code may be one character
        for (std::size_t k = 0; k < pixels; ++k) {
            const hexpane::ColourValue want =
                k < reached ? expected(hex.substr(2 * k, 2), colours, option) : hexpane::kWindowBackground;
            FUZZ_CHECK(pane[k] == want);
        }
    }
    return 0;
}
