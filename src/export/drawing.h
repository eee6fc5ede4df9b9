// A picture as the window draws it: the size it gets from the size table, and
// each of its two panes as an image, in the colours the window shows.
#pragma once

#include <QImage>
#include <QString>

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "patch/patch_reader.h"
#include "picture/render.h"
#include "tables/colour_table.h"
#include "tables/size_table.h"

namespace hexpane {

// The window's rule: the first size whose pixel count matches, if usable.
std::optional<PictureSize> sizeOf(const PictureRecord& picture, const std::vector<SizeRecord>& sizes);

// The line that tells a picture was left out for want of a size.
QString noSizeText(const QString& patchPath, std::size_t index, const PictureRecord& picture);

// A null image when the picture is too large for memory.
QImage drawPane(std::string_view hex, PictureSize size, const ColourTable& colours, TransparentColour option);

}  // namespace hexpane
