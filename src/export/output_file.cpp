#include "export/output_file.h"

#include <QDir>
#include <QFile>

#include <filesystem>
#include <system_error>

#include "gui/image_file.h"
#include "gui/path_bytes.h"

namespace hexpane {

bool mayWrite(const QString& path, bool force, Report& report) {
    std::error_code error;
    const auto status = std::filesystem::symlink_status(pathBytes(path).toStdString(), error);
    if (force || !std::filesystem::exists(status)) return true;  // a failed look is left to the save to explain
    report.problem(ExitStatus::Incomplete,
                   QStringLiteral("%1 exists, so it was left as it is (--force replaces it).").arg(shownPath(path)));
    return false;
}

bool writeImageFile(const QImage& image, const QString& path, const char* format, bool force, Report& report) {
    const QString error = saveImage(image, path, format, force ? Existing::Replace : Existing::Keep);
    if (error.isEmpty()) return true;
    report.problem(ExitStatus::Incomplete, error);
    return false;
}

}  // namespace hexpane
