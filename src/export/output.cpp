#include "export/output.h"

#include "drawing/image_file.h"
#include "files/path_bytes.h"
#include "files/saved_file.h"
#include "text/name_text.h"
#include "text/picture_file_names.h"

namespace hexpane {

QString keptText(const QString& path) {
    return QStringLiteral("%1 exists, so it was left as it is (--force replaces it).").arg(shownPath(path));
}

bool mayWrite(const QString& path, bool force, Report& report) {
    if (force || !nameTaken(path)) return true;
    report.problem(ExitStatus::Incomplete, keptText(path));
    return false;
}

QString noSizeText(const QString& patchPath, std::size_t index, const PictureText& picture, const QString& outcome) {
    return QStringLiteral("%1: picture %2 (%3) has no known size for %4 pixels, %5.")
        .arg(shownPath(patchPath), indexText(index), displayName(picture.name),
             QString::number(picture.newHex.size() / 2), outcome);
}

bool saveDrawing(const QString& path, const char* format, bool force, const QString& what,
                 const std::function<QImage()>& draw, Report& report, Written written) {
    const SavedDrawing saved =
        hexpane::saveDrawing(path, format, force ? Existing::Replace : Existing::Keep, what, draw, written);
    if (saved.outcome == Saved::Written) return true;
    report.problem(ExitStatus::Incomplete, saved.outcome == Saved::Kept ? keptText(path) : saved.error);
    return false;
}

}  // namespace hexpane
