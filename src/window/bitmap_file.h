// Saving a pane's image as a 24-bit Windows bitmap. The bitmap goes to a
// temporary file beside the target and replaces it only once complete, so a
// failed save leaves an existing file as it was.
#pragma once

#include <QImage>
#include <QString>

namespace hexpane {

// Empty on success, otherwise the reason, fit for a message box.
QString saveBitmap(const QImage& image, const QString& path);

}  // namespace hexpane
