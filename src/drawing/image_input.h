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

// An image read for a picture: the image, or a null one and why, in a message
// that names the file. What the image libraries say goes into that message,
// never to the user on its own.
struct ImageRead {
    QImage image;
    QString problem;
    bool unreadable = false;  // the file cannot be read as a whole image; else it is of another shape
};

// The image at path, of a shape that fits its picture.
ImageRead readImage(const QString& path, const ImageShape& shape, const QString& picture, const QString& sizeTable);

}  // namespace hexpane
