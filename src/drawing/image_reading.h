// Reading an image to put back into a picture, as hexpane-import and the
// window's replacement read it: only a regular file, only the two formats
// the pictures are exported in, and only at the picture's size, which is
// known before the pixels are decoded.
#pragma once

#include <QImage>
#include <QString>

#include "tables/size_table.h"

namespace hexpane {

struct ImageRead {
    QImage image;            // null when it cannot be used
    bool otherSize = false;  // it was read, but is not of the picture's size
    QString reason;          // why not, without the file's name
};

// The image at path if it is a .bmp or .png image of size; `picture` names
// the picture in the reason given for another size.
ImageRead readImage(const QString& path, PictureSize size, const QString& picture);

}  // namespace hexpane
