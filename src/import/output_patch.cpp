#include "import/output_patch.h"

#include <QFileInfo>
#include <QSaveFile>

#include "gui/path_bytes.h"

namespace hexpane {

// Stand-in until the shared saveFile is on main: QSaveFile, after a look for an existing file.
QString writePatch(const QString& patchPath, const std::vector<ChangedText>& changes, const QString& outputPath,
                   bool force) {
    const auto failed = [&](const QString& reason) {
        return QStringLiteral("Cannot save %1:\n%2").arg(shownPath(outputPath), reason);
    };
    if (!force && QFileInfo::exists(outputPath)) return failed(QStringLiteral("It exists, so it was left as it is."));
    QSaveFile file(outputPath);
    if (!file.open(QIODevice::WriteOnly)) return failed(file.errorString());
    QString error;
    const bool copied = copyPatch(
        patchPath, changes,
        [&](const char* data, std::size_t size) { return file.write(data, qint64(size)) == qint64(size); }, &error);
    if (!copied) {
        file.cancelWriting();
        return failed(error.isEmpty() ? file.errorString() : error);
    }
    if (!file.commit()) return failed(file.errorString());
    return {};
}

}  // namespace hexpane
