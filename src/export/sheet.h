// The overview of a whole patch on one picture: every picture, old beside new
// at its drawing size times a whole zoom factor, under a label of its index,
// name and size; a picture without a size is listed by its label alone.
#pragma once

#include <QImage>

#include <vector>

#include "gui/drawing.h"
#include "patch/patch_reader.h"
#include "picture/render.h"

namespace hexpane {

// Needs a QGuiApplication, for the labels' font. A null image when the sheet
// is too large to draw.
QImage drawSheet(const std::vector<PictureRecord>& pictures, const Tables& tables, TransparentColour option, int zoom);

}  // namespace hexpane
