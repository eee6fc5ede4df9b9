#include "export/output.h"

#include <new>

#include "drawing/image_file.h"
#include "files/path_bytes.h"
#include "files/saved_file.h"
#include "text/name_text.h"
#include "text/picture_file_names.h"

namespace hexpane {

bool mayWrite(const QString& path, bool force, Report& report) {
    if (force || !nameTaken(path)) return true;
    report.problem(ExitStatus::Incomplete,
                   QStringLiteral("%1 exists, so it was left as it is (--force replaces it).").arg(shownPath(path)));
    return false;
}

QString noSizeText(const QString& patchPath, std::size_t index, const PictureText& picture, const QString& outcome) {
    return QStringLiteral("%1: picture %2 (%3) has no known size for %4 pixels, %5.")
        .arg(shownPath(patchPath), indexText(index), displayName(picture.name),
             QString::number(picture.newHex.size() / 2), outcome);
}

bool saveDrawing(const QString& path, const char* format, bool force, const QString& what,
                 const std::function<QImage()>& draw, Report& report, Written written) {
    const Existing existing = force ? Existing::Replace : Existing::Keep;
    if (written == Written::InPlace) {
        if (const QString refused = checkSave(path, existing, written); !refused.isEmpty()) {
            report.problem(ExitStatus::Incomplete, refused);
            return false;
        }
    } else if (!mayWrite(path, force, report)) {
        return false;
    }
    QString error;
    try {
        const QImage image = draw();
        error =
            image.isNull()
                ? QStringLiteral("Cannot save %1: there is not enough memory to draw %2.").arg(shownPath(path), what)
                : saveImage(image, path, format, existing, written);
    } catch (const std::bad_alloc&) {
        error = QStringLiteral("Cannot save %1: there is not enough memory to draw and encode %2.")
                    .arg(shownPath(path), what);
    }
    if (error.isEmpty()) return true;
    report.problem(ExitStatus::Incomplete, error);
    return false;
}

}  // namespace hexpane
