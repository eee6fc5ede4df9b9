// Reading an image named for import: only a regular file, read through its
// descriptor as the decoder asks (never held whole, so a file padded to a
// gigabyte costs what its pixels do), at its picture's size, and holding
// every pixel it declares with a colour for each (import/image_check.h).
#pragma once

#include <QImage>
#include <QString>

#include "report/report.h"
#include "tables/size_table.h"

namespace hexpane {

// The image at path, of the size its picture is drawn at, or a null image with
// the reason told to report, naming the file: Failed for a file that cannot be
// read as a whole image, Incomplete for one of another size. What the image
// libraries say goes into that message, never to the user on its own.
QImage readImage(const QString& path, PictureSize size, const QString& picture, Report& report);

}  // namespace hexpane
