#include "export/run.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>

#include <cstdio>
#include <optional>

#include "export/listing.h"
#include "export/output_file.h"
#include "export/picture_files.h"
#include "export/sheet.h"
#include "gui/drawing.h"
#include "gui/path_bytes.h"
#include "gui/regular_file.h"

namespace hexpane {

namespace {

void print(const QByteArray& bytes) { std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout); }

std::optional<std::vector<PictureRecord>> readPatchFile(const QString& path, Report& report) {
    QString error;
    std::vector<PictureRecord> pictures = readFile(path, readPatch, &error);
    if (!error.isEmpty()) {
        report.problem(ExitStatus::Failed, QStringLiteral("Cannot read %1:\n%2").arg(shownPath(path), error));
        return std::nullopt;
    }
    if (pictures.empty()) report.note(QStringLiteral("%1 holds no picture.").arg(shownPath(path)));
    return pictures;
}

Tables readTables(const Options& options, Report& report) {
    QStringList problems;
    Tables tables = loadTables(options.mapPath, options.sizePath, problems);
    if (!problems.isEmpty()) {
        report.note(QStringLiteral("Some of the tables could not be read as they are; going on with what was read."));
        for (const QString& problem : problems) report.note(problem);
    }
    return tables;
}

void list(const Options& options, const Tables& tables, Report& report) {
    QJsonArray json;
    for (const QString& path : options.patches) {
        const auto pictures = readPatchFile(path, report);
        if (!pictures) continue;
        const std::vector<ListedPicture> listed = listPictures(*pictures, tables);
        if (options.json) {
            for (const auto& entry : listingJson(path, listed)) json.append(entry);
        } else {
            if (options.patches.size() > 1) print(shownPath(path).toUtf8() + ":\n");
            print(listingText(listed));
        }
    }
    if (options.json) print(QJsonDocument(json).toJson());
    if (std::fflush(stdout) != 0) report.problem(ExitStatus::Incomplete, QStringLiteral("Cannot write the listing."));
}

void sheet(const Options& options, const Tables& tables, Report& report) {
    const QString& path = options.patches.front();
    const auto pictures = readPatchFile(path, report);
    if (!pictures || !mayWrite(options.sheet, options.force, report)) return;
    for (std::size_t i = 0; i < pictures->size(); ++i) {
        if (!pictureSize((*pictures)[i], tables))
            report.problem(ExitStatus::Incomplete, noSizeText(path, i, (*pictures)[i]));
    }
    const QImage image = drawSheet(*pictures, tables, options.transparent, options.zoom);
    if (image.isNull()) {
        report.problem(ExitStatus::Incomplete,
                       QStringLiteral("Cannot save %1: the sheet is too large to draw.").arg(shownPath(options.sheet)));
        return;
    }
    writeImageFile(image, options.sheet, options.sheetFormat, options.force, report);
}

// Two patches of one name would write into one folder.
bool foldersDiffer(const Options& options, Report& report) {
    QSet<QString> folders;
    for (const QString& path : options.patches) {
        const QString folder = patchFolder(options.output, path);
        if (folders.contains(folder)) {
            report.problem(ExitStatus::Failed, QStringLiteral("%1 would write into %2, as another patch of that name "
                                                              "does; give each its own folder with -o.")
                                                   .arg(shownPath(path), shownPath(folder)));
            return false;
        }
        folders.insert(folder);
    }
    return true;
}

void exportFiles(const Options& options, const Tables& tables, Report& report) {
    if (!foldersDiffer(options, report)) return;
    for (const QString& path : options.patches) {
        if (const auto pictures = readPatchFile(path, report)) {
            writePictureFiles(path, *pictures, patchFolder(options.output, path), tables, options, report);
        }
    }
}

}  // namespace

ExitStatus run(const Options& options) {
    Report report;
    const Tables tables = readTables(options, report);
    if (options.list) {
        list(options, tables, report);
    } else if (!options.sheet.isEmpty()) {
        sheet(options, tables, report);
    } else {
        exportFiles(options, tables, report);
    }
    return report.status();
}

}  // namespace hexpane
