// Saving an image as a file: a 24-bit Windows bitmap for the panes, or a PNG,
// whole or not at all, as saveFile saves any file.
#pragma once

#include <QImage>
#include <QString>

#include <functional>

#include "files/saved_file.h"

namespace hexpane {

// Empty on success; otherwise a message that names the file and gives the
// reason. format is an image format Qt writes: "bmp" or "png". With Keep, a
// file that exists, or comes to be while this one is written, stays as it is;
// written says how the file takes its place (saveFile).
QString saveImage(const QImage& image, const QString& path, const char* format = "bmp",
                  Existing existing = Existing::Replace, Written written = Written::AsNewFile);

// What became of an image to save.
enum class Saved { Written, Kept, Failed };
struct SavedDrawing {
    Saved outcome;
    QString error;  // for Failed: a message that names the file and gives the reason
};

// Saves the image draw makes as path in format. With Keep, a name already
// taken (a dangling symbolic link too) is left as it is and nothing is drawn,
// which costs more than looking. A null image, or running out of memory while
// drawing or encoding, is told as a lack of memory to draw `what`.
SavedDrawing saveDrawing(const QString& path, const char* format, Existing existing, const QString& what,
                         const std::function<QImage()>& draw, Written written = Written::AsNewFile);

}  // namespace hexpane
