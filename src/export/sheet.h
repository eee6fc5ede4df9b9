// Drawings of a whole patch on one picture. The sheet: every picture, old
// beside new at its drawing size times a whole zoom factor, under a label of
// its index, name and size; a picture without a size is listed by its label
// alone. The thumbnail: the new drawings of the patch's first pictures that
// have a size, in a small grid, for file managers.
#pragma once

#include <QImage>

#include <vector>

#include "export/command_line.h"
#include "gui/drawing.h"
#include "gui/report.h"
#include "patch/patch_reader.h"
#include "picture/render.h"

namespace hexpane {

// Draws `from` into `to` with its top left corner at `at`, scaled without
// blending by a whole factor: each pixel repeated `enlarge` times each way,
// or only every `reduce`-th pixel of each row and column kept, from the
// first. Both images hold 32 bits per pixel, and `to` has room for the result.
QSize sampledSize(QSize size, int enlarge, int reduce);
void drawSampled(const QImage& from, QImage& to, QPoint at, int enlarge, int reduce);

// The sheet of options.patches' only patch, written to options.sheet. Needs a
// QGuiApplication, for the labels' font.
void writeSheet(const Options& options, const Tables& tables, Report& report);

// At most this many pictures in a thumbnail.
inline constexpr int kThumbnailCells = 4;
// No more of a patch than this is read for its thumbnail.
inline constexpr std::uint64_t kThumbnailRead = std::uint64_t{64} << 20;

// The thumbnail of the pictures, at most size × size pixels and no larger than
// its drawings: up to kThumbnailCells of the first pictures that have a size,
// two to a row, each scaled by the largest whole factor that fits its cell,
// or reduced by the smallest whole factor that makes it fit; transparent
// around them. A null image without such a picture or without memory.
QImage drawThumbnail(const std::vector<PictureRecord>& pictures, const Tables& tables, TransparentColour option,
                     int size);

// The thumbnail of options.patches' only patch, written to options.sheet as a
// PNG, reading no more of the patch than its first pictures need.
void writeThumbnail(const Options& options, const Tables& tables, Report& report);

}  // namespace hexpane
