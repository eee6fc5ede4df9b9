#include "drawing/pixel_codes.h"

#include <algorithm>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "drawing/drawing.h"

namespace hexpane {

namespace {

constexpr QRgb kRgb = 0x00FFFFFF;
constexpr PixelCodes::Code kTransparentCode{'C', '0'};

PixelCodes::Code codeOf(unsigned value, bool lowerCase) {
    const char* digits = lowerCase ? "0123456789abcdef" : "0123456789ABCDEF";
    return {digits[value >> 4], digits[value & 15]};
}

// What drawPane draws for each code, in one pane of one row.
std::vector<QRgb> drawnColours(const std::vector<PixelCodes::Code>& codes, const ColourTable& colours,
                               TransparentColour option) {
    std::string hex;
    for (const PixelCodes::Code& code : codes) hex.append(code.data(), code.size());
    const QImage drawn = drawPane(hex, {static_cast<std::int32_t>(codes.size()), 1}, colours, option);
    if (drawn.isNull()) throw std::bad_alloc();
    std::vector<QRgb> rgb(codes.size());
    for (std::size_t i = 0; i < codes.size(); ++i) rgb[i] = drawn.pixel(static_cast<int>(i), 0) & kRgb;
    return rgb;
}

int squaredDistance(QRgb a, QRgb b) {
    const int red = qRed(a) - qRed(b), green = qGreen(a) - qGreen(b), blue = qBlue(a) - qBlue(b);
    return red * red + green * green + blue * blue;
}

}  // namespace

PixelCodes::PixelCodes(const ColourTable& colours, TransparentColour option) {
    // Each value in the case asked for, then in the other, which draws otherwise
    // only where case matters to the drawing; under form and phone, C0 first.
    for (const bool lowerCase : {false, true}) {
        std::vector<Drawn> candidates;
        if (option != TransparentColour::Standard) candidates.push_back({kTransparentCode, 0xC0, 0});
        for (unsigned value = 0; value < 256; ++value) {
            for (const bool lower : {lowerCase, !lowerCase}) {
                candidates.push_back({codeOf(value, lower), value, candidates.size()});
            }
        }
        std::vector<Code> codes(candidates.size());
        std::transform(candidates.begin(), candidates.end(), codes.begin(), [](const Drawn& c) { return c.code; });
        // Then C0 and C0 in the case asked for: that one stands for a transparent
        // pixel where it draws the same.
        const Code inCase = codeOf(0xC0, lowerCase);
        codes.push_back(kTransparentCode);
        codes.push_back(inCase);
        const std::vector<QRgb> drawn = drawnColours(codes, colours, option);
        for (std::size_t i = 0; i < candidates.size(); ++i) byColour_[lowerCase].try_emplace(drawn[i], candidates[i]);
        transparentColour_ = drawn[candidates.size()];
        transparent_[lowerCase] = drawn[candidates.size() + 1] == transparentColour_ ? inCase : kTransparentCode;
    }
}

std::optional<PixelCodes::Code> PixelCodes::exact(QRgb colour, bool lowerCase) const {
    const auto found = byColour_[lowerCase].find(colour & kRgb);
    if (found == byColour_[lowerCase].end()) return std::nullopt;
    return found->second.code;
}

PixelCodes::Code PixelCodes::nearest(QRgb colour, bool lowerCase) const {
    const Drawn* best = nullptr;
    int bestDistance = std::numeric_limits<int>::max();
    for (const auto& [drawn, candidate] : byColour_[lowerCase]) {
        const int distance = squaredDistance(drawn, colour);
        if (distance < bestDistance || (distance == bestDistance && std::pair(candidate.value, candidate.order) <
                                                                        std::pair(best->value, best->order))) {
            best = &candidate;
            bestDistance = distance;
        }
    }
    return best->code;
}

}  // namespace hexpane
