// The inverse of drawPane: the pixel code to write for a colour, so that a
// picture edited as an image can be put back into its text.
#pragma once

#include <QRgb>

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

#include "picture/render.h"
#include "tables/colour_table.h"

namespace hexpane {

// The pixel code to write for a colour, so that drawPane, with the same colour
// table and option, draws that colour. Built by drawing every code through
// drawPane and reading back what it drew, so it follows the drawing wherever
// that changes: codes the table lacks draw black, and C0 under form and phone
// draws the option's colour while only c0 draws C0's table colour.
class PixelCodes {
public:
    using Code = std::array<char, 2>;

    PixelCodes(const ColourTable& colours, TransparentColour option);

    // Where several codes draw a colour, the lowest code value, in the case
    // asked for where that case draws it; under form and phone, C0 comes first
    // for the colour it draws. Colours compare without their alpha.
    std::optional<Code> exact(QRgb colour, bool lowerCase) const;
    // The code whose colour is nearest by squared RGB distance; ties: the lowest code.
    // The drawn colours that may be nearest to some colour of a small cube
    // around the one asked for are found once, on the first call there, so
    // each call looks at a few colours only. Safe from several threads.
    Code nearest(QRgb colour, bool lowerCase) const;
    // What a fully transparent pixel stands for: C0, and the colour it draws.
    Code transparent(bool lowerCase) const { return transparent_[lowerCase]; }
    QRgb transparentColour() const { return transparentColour_; }

private:
    struct Drawn {
        Code code;
        unsigned value;     // 0 to 255: what ties are broken by
        std::size_t order;  // in the order of preference, for ties of equal value
    };
    // The drawn colours that may be nearest to some colour of each cell of
    // the RGB cube, cut into cells of 8 values a side: filled cell by cell.
    struct Grid {
        std::vector<std::pair<QRgb, const Drawn*>> colours;  // in the order ties are broken
        std::unique_ptr<std::once_flag[]> cellFilled;
        std::vector<std::vector<std::uint16_t>> cells;  // indices into colours
    };
    void startGrid(bool lowerCase) const;
    void fillCell(Grid& grid, int cell) const;

    std::unordered_map<QRgb, Drawn> byColour_[2];  // [lowerCase]
    Code transparent_[2];
    QRgb transparentColour_;
    mutable std::once_flag gridStarted_[2];
    mutable Grid grid_[2];
};

}  // namespace hexpane
