// What the exporter writes besides the picture files' names: each output is
// checked before it is drawn, drawn, and saved through the saving code every
// program shares; and the line that tells a picture has no size.
#pragma once

#include <QImage>
#include <QString>

#include <cstddef>
#include <functional>

#include "files/saved_file.h"
#include "patch/pictures.h"
#include "report/report.h"

namespace hexpane {

// The line that tells a picture has no size, and what became of it.
QString noSizeText(const QString& patchPath, std::size_t index, const PictureText& picture, const QString& outcome);

// The line that tells a file was left as it is, since it exists.
QString keptText(const QString& path);

// False, with a line on report, when something (a dangling symbolic link too)
// already has this name and force is off.
bool mayWrite(const QString& path, bool force, Report& report);

// Saves the image `draw` makes as path in format. Unless force is on, a name
// already taken (a dangling symbolic link too) is reported and nothing is
// drawn, which costs more than looking; so is, for a file written InPlace,
// whatever saveFile would refuse before writing. A null image, or running out
// of memory while drawing or encoding, is reported as a lack of memory to draw
// `what`. False, with a line on report, when no file was written.
bool saveDrawing(const QString& path, const char* format, bool force, const QString& what,
                 const std::function<QImage()>& draw, Report& report, Written written = Written::AsNewFile);

}  // namespace hexpane
