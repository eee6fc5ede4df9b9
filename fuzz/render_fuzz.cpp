// renderPane against the pixel mapping: pixel k comes from characters 2k and
// 2k + 1 of the hex text, through the colour table, with C0 redirected by the
// option; pixels the text does not reach keep the background.
//
// Input: width and height in two bytes each, then a colour table text, the
// separator "@@@@" and the hex text. Without a separator the rest is both.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <istream>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "picture/render.h"
#include "tables/colour_table.h"

namespace {

constexpr std::string_view kSeparator = "@@@@";

// -8 to 63, now and then none. Larger pictures follow the same rule and would only
// cost more per input: every pixel is checked, and the instrumentation makes each
// check slow.
constexpr std::int32_t kMaxSide = 63;
std::int32_t side(const std::uint8_t* bytes) {
    return static_cast<std::int32_t>((bytes[0] << 8 | bytes[1]) % (kMaxSide + 9)) - 8;
}

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
    const std::string_view hex =
        separator == std::string_view::npos ? rest : rest.substr(separator + kSeparator.size());

    fuzz::View view(map);
    std::istream in(&view);
    const hexpane::ColourTable colours = hexpane::readColourTable(in);
    static const std::vector<hexpane::ColourValue> background(kMaxSide * kMaxSide, hexpane::kWindowBackground);

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
        // The last code may be one character.
        const std::size_t reached = std::min(pixels, (hex.size() + 1) / 2);
        for (std::size_t k = 0; k < reached; ++k)
            FUZZ_CHECK(pane[k] == expected(hex.substr(2 * k, 2), colours, option));
        FUZZ_CHECK(std::memcmp(pane.data() + reached, background.data(), (pixels - reached) * sizeof pane[0]) == 0);
    }
    return 0;
}
