// A picture as every program draws it: the two tables, the size a picture gets
// from the size table, that size as the window's label shows it, and a pane
// drawn as an image in the colours the window shows. The window, hexpane-export
// and hexpane-import all call these, so a picture looks the same in each.
#pragma once

#include <QImage>
#include <QPalette>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "gui/system_colours.h"
#include "patch/patch_reader.h"
#include "picture/render.h"
#include "tables/colour_table.h"
#include "tables/size_table.h"

namespace hexpane {

// The colour table and the size table, with the sizes indexed by pixel count.
// Moved, never copied: the index points into the size records.
struct Tables {
    Tables() = default;
    Tables(ColourTable colourTable, std::vector<SizeRecord> sizeRecords);
    Tables(Tables&&) = default;
    Tables& operator=(Tables&&) = default;
    Tables(const Tables&) = delete;
    Tables& operator=(const Tables&) = delete;
    ~Tables() = default;

    ColourTable colours;
    std::vector<SizeRecord> sizes;
    SizeIndex index{sizes};
};

// The file of that name in the folder that holds the program.
QString besideProgram(const QString& name);

// Reads map.txt and size.txt; an empty path stands for the file beside the
// program. What went wrong is appended to problems, one line each, "FILE: what";
// the tables keep what was read.
Tables loadTables(const QString& mapPath, const QString& sizePath, QStringList& problems);

// The size records whose pixel count is the picture's, in table order.
std::vector<SizeRecord> sizesOf(const PictureRecord& picture, const Tables& tables);

// The size a picture is drawn at: that of the first record found, if usable.
std::optional<PictureSize> pictureSize(const PictureRecord& picture, const Tables& tables);

// "WxH", or "Error" for a picture without a size.
QString sizeText(const std::optional<PictureSize>& size);

// One pane: the hex text drawn at size through the colour table, C0 as the
// option says, system colours as the palette has them. A null image when the
// picture is too large for the memory left or for the toolkit's images.
QImage drawPane(std::string_view hex, PictureSize size, const ColourTable& colours, TransparentColour option,
                const QPalette& palette);
// The same in the window's default colours (defaultPalette()), where no window supplies them.
QImage drawPane(std::string_view hex, PictureSize size, const ColourTable& colours, TransparentColour option);

// drawPane's pixels drawn into an image that is already there, size.width ×
// size.height of Format_RGB32 (blankPane makes one), so that a window redrawing
// a pane of the same size takes no new memory. The picture goes through
// renderPane a band of rows at a time, straight into the image's rows, on
// `threads` threads; 0 lets the size decide: every core for a picture of 16
// million pixels or more, which takes a noticeable time on one, else one.
// False, the image's pixels undefined, when the image does not fit the size or
// the memory to draw runs out.
bool drawPaneInto(QImage& image, std::string_view hex, PictureSize size, const ColourTable& colours,
                  TransparentColour option, const QPalette& palette, int threads = 0);

// ---- The inverse of drawPane ----

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
    std::unordered_map<QRgb, Drawn> byColour_[2];  // [lowerCase]
    Code transparent_[2];
    QRgb transparentColour_;
};

}  // namespace hexpane
