// Writing one file of the exporter's: through the window's saving code, so it is
// complete or not there at all, and never over an existing file unless forced.
#pragma once

#include <QImage>
#include <QString>

#include "gui/report.h"

namespace hexpane {

// False, with a line on report, when something (a dangling symbolic link too)
// already has this name and force is off. Checked before drawing, which costs more.
bool mayWrite(const QString& path, bool force, Report& report);

// False, with a line on report, when the file could not be written; without
// force, also when a file of that name came to be since mayWrite looked.
bool writeImageFile(const QImage& image, const QString& path, const char* format, bool force, Report& report);

}  // namespace hexpane
