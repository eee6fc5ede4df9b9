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

constexpr int kCellShift = 3;  // cells of 8 values a side
constexpr int kCells = 256 >> kCellShift;
constexpr int kCellSide = 1 << kCellShift;

int cellOf(QRgb colour) {
    return ((qRed(colour) >> kCellShift) * kCells + (qGreen(colour) >> kCellShift)) * kCells +
           (qBlue(colour) >> kCellShift);
}

// The least and the greatest squared distance from a colour to a cell's colours.
std::pair<int, int> distanceRange(QRgb colour, const std::array<int, 3>& low) {
    const int values[3] = {qRed(colour), qGreen(colour), qBlue(colour)};
    int least = 0, greatest = 0;
    for (int c = 0; c < 3; ++c) {
        const int high = low[std::size_t(c)] + kCellSide - 1;
        const int outside = std::max({low[std::size_t(c)] - values[c], values[c] - high, 0});
        const int far = std::max(values[c] - low[std::size_t(c)], high - values[c]);
        least += outside * outside;
        greatest += far * far;
    }
    return {least, greatest};
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

void PixelCodes::startGrid(bool lowerCase) const {
    Grid& grid = grid_[lowerCase];
    for (const auto& [drawn, candidate] : byColour_[lowerCase]) grid.colours.emplace_back(drawn, &candidate);
    std::sort(grid.colours.begin(), grid.colours.end(), [](const auto& a, const auto& b) {
        return std::pair(a.second->value, a.second->order) < std::pair(b.second->value, b.second->order);
    });
    grid.cellFilled = std::make_unique<std::once_flag[]>(std::size_t(kCells) * kCells * kCells);
    grid.cells.resize(std::size_t(kCells) * kCells * kCells);
}

// A cell's members are every colour not farther from each of its colours than
// some one colour is from all of them: among them is the nearest to any.
void PixelCodes::fillCell(Grid& grid, int cell) const {
    const std::array<int, 3> low = {(cell / (kCells * kCells)) * kCellSide, (cell / kCells % kCells) * kCellSide,
                                    (cell % kCells) * kCellSide};
    std::vector<std::pair<int, int>> ranges(grid.colours.size());
    int bound = std::numeric_limits<int>::max();
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        ranges[i] = distanceRange(grid.colours[i].first, low);
        bound = std::min(bound, ranges[i].second);
    }
    std::vector<std::uint16_t>& members = grid.cells[std::size_t(cell)];
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        if (ranges[i].first <= bound) members.push_back(std::uint16_t(i));
    }
}

PixelCodes::Code PixelCodes::nearest(QRgb colour, bool lowerCase) const {
    std::call_once(gridStarted_[lowerCase], [&] { startGrid(lowerCase); });
    Grid& grid = grid_[lowerCase];
    const int cell = cellOf(colour);
    std::call_once(grid.cellFilled[std::size_t(cell)], [&] { fillCell(grid, cell); });
    const Drawn* best = nullptr;
    int bestDistance = std::numeric_limits<int>::max();
    for (const std::uint16_t member : grid.cells[std::size_t(cell)]) {
        const auto& [drawn, candidate] = grid.colours[member];
        const int distance = squaredDistance(drawn, colour);
        if (distance < bestDistance) {  // in tie order: the first of equals stays
            best = candidate;
            bestDistance = distance;
        }
    }
    return best->code;
}

}  // namespace hexpane
