// Writing every picture of a patch as files: for picture i, NNN-NAME-old and
// NNN-NAME-new, each exactly what the window's save icon writes for that pane.
#pragma once

#include <QString>

#include <vector>

#include "export/options.h"
#include "gui/drawing.h"
#include "gui/report.h"
#include "patch/patch_reader.h"

namespace hexpane {

// The folder a patch's pictures go to: the output folder, then the patch's
// file name without its extension, made safe as picture names are.
QString patchFolder(const QString& output, const QString& patchPath);

// The line that tells a picture was left out for want of a size.
QString noSizeText(const QString& patchPath, std::size_t index, const PictureRecord& picture);

// Writes into folder, creating it. A picture without a size is skipped, and a
// file that exists is kept unless options.force; each is told to report.
void writePictureFiles(const QString& patchPath, const std::vector<PictureRecord>& pictures, const QString& folder,
                       const Tables& tables, const Options& options, Report& report);

}  // namespace hexpane
