// Writing the exporter's files. For picture i of a patch, NNN-NAME-old and
// NNN-NAME-new (gui/picture_file_names.h), each exactly what the window's
// save icon writes for that pane. Every file goes through the window's saving
// code: complete or not at all, and never over an existing file unless forced.
#pragma once

#include <QImage>
#include <QString>

#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

#include "drawing/drawing.h"
#include "export/command_line.h"
#include "patch/patch_reader.h"
#include "report/report.h"
#include "text/picture_file_names.h"

namespace hexpane {

// The folder a patch's pictures go to: the output folder, then the patch's
// file name without its extension, made safe as picture names are.
QString patchFolder(const QString& output, const QString& patchPath);

// The line that tells a picture has no size, and what became of it.
QString noSizeText(const QString& patchPath, std::size_t index, const PictureRecord& picture, const QString& outcome);

// False, with a line on report, when something (a dangling symbolic link too)
// already has this name and force is off.
bool mayWrite(const QString& path, bool force, Report& report);

// Saves the image `draw` makes as path in format. Unless force is on, a name
// already taken (a dangling symbolic link too) is reported and nothing is
// drawn, which costs more than looking. A null image, or running out of
// memory while drawing or encoding, is reported as a lack of memory to draw
// `what`. False, with a line on report, when no file was written.
bool saveDrawing(const QString& path, const char* format, bool force, const QString& what,
                 const std::function<QImage()>& draw, Report& report);

// Writes each patch's pictures into its folder under options.output, creating
// it. A picture without a size is skipped, and a file that exists is kept
// unless options.force; each is told to report.
void exportPatches(const ExportOptions& options, const Tables& tables, Report& report);

}  // namespace hexpane
