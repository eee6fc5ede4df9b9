// Drawings of a whole patch on one picture. The sheet: every picture, old
// beside new at its drawing size times a whole zoom factor, under a label of
// its index, name and size; a picture without a size is listed by its label
// alone. The thumbnail: the new drawings of the patch's first pictures that
// have a size, in a small grid, for file managers.
#pragma once

#include <cstdint>

#include "drawing/drawing.h"
#include "export/command_line.h"
#include "report/report.h"

namespace hexpane {

// The sheet of options.patches' only patch, written to options.sheet. Needs a
// QGuiApplication, for the labels' font.
void writeSheet(const ExportOptions& options, const Tables& tables, Report& report);

// At most this many pictures in a thumbnail.
inline constexpr int kThumbnailCells = 4;
// No more of a patch than this is read for its thumbnail.
inline constexpr std::uint64_t kThumbnailRead = std::uint64_t{64} << 20;

// The thumbnail of options.patches' only patch, written to options.sheet as a
// PNG of at most options.thumbnailSize pixels each way and no larger than its
// drawings: up to kThumbnailCells of the first pictures that have a size, two
// to a row, each enlarged by the largest whole factor that fits its cell, or
// reduced by the smallest that makes it fit; transparent around them. No more
// of the patch is read than these pictures need.
void writeThumbnail(const ExportOptions& options, const Tables& tables, Report& report);

}  // namespace hexpane
