// Reading an image named for import: only a regular file, read through its
// descriptor as the decoder asks (never held whole, so a file padded to a
// gigabyte costs what its pixels do), at its picture's size, and holding
// every pixel it declares with a colour for each (import/image_check.h).
#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <cstdint>
#include <optional>

#include "report/report.h"
#include "tables/size_table.h"

namespace hexpane {

// The sizes an image may have: the size its picture is drawn at, or, for a
// picture that the size table gives no size, any W x H of its pixel count:
// pixels go row by row whatever the width, so each such image is exact.
struct ImageShape {
    std::optional<PictureSize> drawn;
    std::int64_t pixels = 0;

    bool fits(QSize size) const;
    // What the picture wants, for a refusal: "picture 003 (logo) is 4x3".
    QString wanted(const QString& picture, const QString& sizeTable) const;
};

// The image at path, of a shape that fits its picture, or a null image with
// the reason told to report, naming the file: Failed for a file that cannot be
// read as a whole image, Incomplete for one of another shape. What the image
// libraries say goes into that message, never to the user on its own.
QImage readImage(const QString& path, const ImageShape& shape, const QString& picture, const QString& sizeTable,
                 Report& report);

}  // namespace hexpane
