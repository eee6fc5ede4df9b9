// Colour values as the panes show them: a plain value is 0x00BBGGRR, a value
// with the top bit set names a system colour, taken from the window's palette
// at the moment of drawing.
#pragma once

#include <QImage>
#include <QPalette>

#include <span>

#include "tables/colour_table.h"

namespace hexpane {

QRgb toRgb(ColourValue colour, const QPalette& palette);

// An image of width × height pixels from row-major colour values.
QImage paneImage(std::span<const ColourValue> colours, int width, int height, const QPalette& palette);

// The image paneImage fills, its pixels not yet set: null when it is too large
// for the toolkit or for the memory left.
QImage blankPane(int width, int height);

// One row of pixels from as many colour values, as paneImage converts them.
void toRgbRow(std::span<const ColourValue> colours, QRgb* out, const QPalette& palette);

// The palette the window has under Qt's default style on Linux (Fusion, light):
// the pane background (Base) #FFFFFF, the face colour (Window) #EFEFEF. For
// drawing panes where no window supplies one, so they match what it shows.
QPalette defaultPalette();

}  // namespace hexpane
