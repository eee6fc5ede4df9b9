// Saving an image as a file: a 24-bit Windows bitmap for the panes, or a PNG.
// The image goes to a temporary file beside the target and takes its name
// only once complete, so a failed save leaves an existing file as it was and
// no part of a new one.
#pragma once

#include <QImage>
#include <QString>

namespace hexpane {

enum class Existing { Replace, Keep };

// Empty on success; otherwise a message that names the file and gives the
// reason. format is an image format Qt writes: "bmp" or "png". With Keep, a
// file that exists, or comes to be while this one is written, stays as it is.
QString saveImage(const QImage& image, const QString& path, const char* format = "bmp",
                  Existing existing = Existing::Replace);

}  // namespace hexpane
