// Writing the exporter's files. For picture i of a patch, NNN-NAME-old and
// NNN-NAME-new (text/picture_file_names.h), each exactly what the window's
// save icon writes for that pane. Every file goes through the window's saving
// code: complete or not at all, and never over an existing file unless forced.
#pragma once

#include <QString>

#include "drawing/drawing.h"
#include "export/command_line.h"
#include "report/report.h"

namespace hexpane {

// Writes each patch's pictures into its folder under options.output, creating
// it. A picture without a size is skipped, and a file that exists is kept
// unless options.force; each is told to report.
void exportPatches(const ExportOptions& options, const Tables& tables, Report& report);

}  // namespace hexpane
