// Saving an image as a file: a 24-bit Windows bitmap for the panes, or a PNG.
// The image goes to a temporary file beside the target and replaces it only
// once complete, so a failed save leaves an existing file as it was.
#pragma once

#include <QImage>
#include <QString>

namespace hexpane {

// Empty on success; otherwise a message that names the file and gives the
// reason. format is an image format Qt writes: "bmp" or "png".
QString saveImage(const QImage& image, const QString& path, const char* format = "bmp");

}  // namespace hexpane
