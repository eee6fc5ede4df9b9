#include "export/picture_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <system_error>
#include <thread>
#include <utility>

#include "export/file_names.h"
#include "export/output_file.h"
#include "gui/name_text.h"
#include "gui/path_bytes.h"

namespace hexpane {

namespace {

// Drawing, encoding and writing a file is mostly work for a core; new files are
// not synced to the disk, so there is little waiting to overlap: one writer per core.
unsigned writerCount() { return std::max(2u, std::thread::hardware_concurrency()); }

bool makeFolder(const QString& folder, Report& report) {
    std::error_code error;
    std::filesystem::create_directories(pathBytes(folder).toStdString(), error);
    if (!error) return true;
    report.problem(ExitStatus::Incomplete, QStringLiteral("Cannot create the folder %1: %2")
                                               .arg(shownPath(folder), QString::fromStdString(error.message())));
    return false;
}

void writePane(std::string_view hex, PictureSize size, const QString& path, const Tables& tables,
               const Options& options, Report& report) {
    if (!mayWrite(path, options.force, report)) return;
    const QImage image = drawPane(hex, size, tables.colours, options.transparent);
    if (image.isNull()) {
        report.problem(ExitStatus::Incomplete,
                       QStringLiteral("Cannot save %1: there is not enough memory to draw a %2x%3 picture.")
                           .arg(shownPath(path), QString::number(size.width), QString::number(size.height)));
        return;
    }
    writeImageFile(image, path, options.format, options.force, report);
}

void writePicture(const QString& patchPath, std::size_t index, const PictureRecord& picture, const QDir& dir,
                  const Tables& tables, const Options& options, Report& report) {
    const std::optional<PictureSize> size = pictureSize(picture, tables);
    if (!size) {
        report.problem(ExitStatus::Incomplete, noSizeText(patchPath, index, picture));
        return;
    }
    for (const auto& [hex, pane] : {std::pair{&picture.oldHex, "old"}, std::pair{&picture.newHex, "new"}}) {
        writePane(*hex, *size, dir.filePath(pictureFileName(index, picture.name, pane, options.format)), tables,
                  options, report);
    }
}

}  // namespace

QString noSizeText(const QString& patchPath, std::size_t index, const PictureRecord& picture) {
    return QStringLiteral("%1: picture %2 (%3) has no known size for %4 pixels, so it was left out.")
        .arg(shownPath(patchPath), indexText(index), displayName(picture.name),
             QString::number(picture.newHex.size() / 2));
}

QString patchFolder(const QString& output, const QString& patchPath) {
    return QDir(output).filePath(safeName(pathBytes(QFileInfo(patchPath).completeBaseName()).toStdString()));
}

void writePictureFiles(const QString& patchPath, const std::vector<PictureRecord>& pictures, const QString& folder,
                       const Tables& tables, const Options& options, Report& report) {
    if (!makeFolder(folder, report)) return;
    const QDir dir(folder);
    std::vector<Report> told(pictures.size(), Report::held());
    std::atomic<std::size_t> next = 0;
    const auto work = [&] {
        for (std::size_t i = next++; i < pictures.size(); i = next++) {
            writePicture(patchPath, i, pictures[i], dir, tables, options, told[i]);
        }
    };
    {
        std::vector<std::jthread> writers;
        for (unsigned k = writerCount(); k > 1; --k) writers.emplace_back(work);
        work();
    }
    for (const Report& lines : told) report.add(lines);
}

}  // namespace hexpane
