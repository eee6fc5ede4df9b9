// A picture as every program draws it: the size a picture gets from the size
// table (or, when asked, from its own pixels), that size as the window's label
// shows it, and a pane drawn as an image in the colours the window shows. The window, hexpane-export
// and hexpane-import all call these, so a picture looks the same in each.
#pragma once

#include <QImage>
#include <QPalette>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "drawing/system_colours.h"
#include "drawing/tables.h"
#include "patch/pictures.h"
#include "picture/render.h"
#include "tables/colour_table.h"
#include "tables/size_table.h"

namespace hexpane {

// The size records whose pixel count is the picture's, in table order.
std::vector<SizeRecord> sizesOf(const PictureText& picture, const Tables& tables);

// The size a picture is drawn at: that of the first record found, if usable.
std::optional<PictureSize> pictureSize(const PictureText& picture, const Tables& tables);

// Whether a picture that the size table gives no size is drawn at the size its
// own pixels suggest (picture/size_guess.h) rather than not at all.
enum class Guessing : bool { Off, On };

// At most this many guesses are kept, the best first.
inline constexpr std::size_t kKeptGuesses = 5;

// The size a picture is drawn at and where it comes from: the table's, as
// above; with guessing on and no size in the table, the best guess.
struct SizeChoice {
    std::optional<PictureSize> size;   // none: the picture is not drawn
    bool guessed = false;              // the table gave none and guessing was on
    std::vector<PictureSize> guesses;  // then: the best first, size the first; none under 4 pixels
};
SizeChoice pictureSize(const PictureText& picture, const Tables& tables, Guessing guessing);

// pictureSize of each picture, in order; the guesses are made on every core
// when there are enough pixels to guess from for that to pay.
// Of the `count` pictures from `first` on (all of them by default).
std::vector<SizeChoice> pictureSizes(const Pictures& pictures, const Tables& tables, Guessing guessing,
                                     std::size_t first = 0, std::size_t count = SIZE_MAX);

// "WxH", or "Error" for a picture without a size.
QString sizeText(const std::optional<PictureSize>& size);
// The same, with a "~" in front of a guessed size: "~176x220".
QString sizeText(const SizeChoice& choice);

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

}  // namespace hexpane
