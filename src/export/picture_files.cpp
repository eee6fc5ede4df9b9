#include "export/picture_files.h"

#include <QFileInfo>
#include <QList>
#include <QSet>

#include <atomic>
#include <exception>
#include <filesystem>
#include <system_error>
#include <utility>

#include "drawing/image_file.h"
#include "drawing/on_threads.h"
#include "drawing/pane_files.h"
#include "export/output.h"
#include "export/patch_input.h"
#include "files/path_bytes.h"
#include "files/saved_file.h"
#include "text/name_text.h"
#include "text/picture_file_names.h"

namespace hexpane {

namespace {

bool madeFolder(const QString& folder, Report& report) {
    const QString error = makeFolder(folder);
    if (error.isEmpty()) return true;
    report.problem(ExitStatus::Incomplete,
                   QStringLiteral("Cannot create the folder %1: %2").arg(shownPath(folder), error));
    return false;
}

void writePicture(const QString& patchPath, std::size_t index, const PictureText& picture, const QString& folder,
                  const Tables& tables, const ExportOptions& options, Report& report) {
    const std::optional<PictureSize> size = pictureSize(picture, tables, options.guessing).size;
    if (!size) {
        report.problem(ExitStatus::Incomplete,
                       noSizeText(patchPath, index, picture, QStringLiteral("so no file was written for it")));
        return;
    }
    const auto files =
        writePaneFiles(folder, index, picture.name, {picture.oldHex, picture.newHex}, *size, tables.colours,
                       options.transparent, options.format, options.force ? Existing::Replace : Existing::Keep);
    for (const PaneFile& file : files) {
        if (file.saved.outcome != Saved::Written) {
            report.problem(ExitStatus::Incomplete,
                           file.saved.outcome == Saved::Kept ? keptText(file.path) : file.saved.error);
        }
    }
}

// Each picture by whichever writer takes it first; their lines are told in
// the pictures' order once all are written. Where no thread can be started
// (a process limit), the calling thread writes them all.
void writePictures(const QString& patchPath, const Pictures& pictures, const QString& folder, const Tables& tables,
                   const ExportOptions& options, Report& report) {
    if (!madeFolder(folder, report)) return;
    std::vector<Report> told(pictures.size(), Report::held());
    std::atomic<std::size_t> next = 0;
    const auto work = [&] {
        for (std::size_t i = next++; i < pictures.size(); i = next++) {
            try {
                writePicture(patchPath, i, pictures[i], folder, tables, options, told[i]);
            } catch (...) {
                told[i].stopped(ExitStatus::Incomplete, QStringLiteral("write picture %1").arg(indexText(i)));
            }
        }
    };
    runOnThreads(paneFileWriters(), work);
    for (const Report& lines : told) report.add(lines);
}

// Two patches of one name would write into one folder.
bool foldersDiffer(const ExportOptions& options, Report& report) {
    QSet<QString> folders;
    for (const QString& path : options.patches) {
        const QString folder = patchFolder(options.output, path);
        if (folders.contains(folder)) {
            report.problem(ExitStatus::Failed,
                           QStringLiteral("%1 would write into %2, as another patch of that name does; export "
                                          "them in separate runs, or from patch files whose names differ.")
                               .arg(shownPath(path), shownPath(folder)));
            return false;
        }
        folders.insert(folder);
    }
    return true;
}

}  // namespace

void exportPatches(const ExportOptions& options, const Tables& tables, Report& report) {
    if (!foldersDiffer(options, report)) return;
    for (const QString& path : options.patches) {
        if (const auto pictures = readPatchFile(path, report)) {
            writePictures(path, *pictures, patchFolder(options.output, path), tables, options, report);
        }
    }
}

}  // namespace hexpane
