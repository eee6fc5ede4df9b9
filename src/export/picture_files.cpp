#include "export/picture_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <filesystem>
#include <system_error>
#include <utility>

#include "export/drawing.h"
#include "export/file_names.h"
#include "export/output_file.h"

namespace hexpane {

namespace {

bool makeFolder(const QString& folder, Report& report) {
    std::error_code error;
    std::filesystem::create_directories(QFile::encodeName(folder).toStdString(), error);
    if (!error) return true;
    report.problem(ExitStatus::Incomplete,
                   QStringLiteral("Cannot create the folder %1: %2")
                       .arg(QDir::toNativeSeparators(folder), QString::fromStdString(error.message())));
    return false;
}

void writePane(std::string_view hex, PictureSize size, const QString& path, const Tables& tables,
               const Options& options, Report& report) {
    if (!mayWrite(path, options.force, report)) return;
    const QImage image = drawPane(hex, size, tables.colours, options.transparent);
    if (image.isNull()) {
        report.problem(ExitStatus::Incomplete,
                       QStringLiteral("Cannot save %1: there is not enough memory to draw a %2x%3 picture.")
                           .arg(QDir::toNativeSeparators(path), QString::number(size.width), QString::number(size.height)));
        return;
    }
    writeImageFile(image, path, options.format, report);
}

}  // namespace

QString patchFolder(const QString& output, const QString& patchPath) {
    return QDir(output).filePath(safeName(QFile::encodeName(QFileInfo(patchPath).completeBaseName()).toStdString()));
}

void writePictureFiles(const QString& patchPath, const std::vector<PictureRecord>& pictures, const QString& folder,
                       const Tables& tables, const Options& options, Report& report) {
    if (!makeFolder(folder, report)) return;
    const QDir dir(folder);
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        const PictureRecord& picture = pictures[i];
        const std::optional<PictureSize> size = sizeOf(picture, tables.sizes);
        if (!size) {
            report.problem(ExitStatus::Incomplete, noSizeText(patchPath, i, picture));
            continue;
        }
        for (const auto& [hex, pane] : {std::pair{&picture.oldHex, "old"}, std::pair{&picture.newHex, "new"}}) {
            writePane(*hex, *size, dir.filePath(pictureFileName(i, picture.name, pane, options.format)), tables,
                      options, report);
        }
    }
}

}  // namespace hexpane
