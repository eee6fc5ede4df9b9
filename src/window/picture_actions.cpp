#include "window/picture_actions.h"

#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSet>

#include <algorithm>
#include <atomic>
#include <climits>
#include <map>
#include <memory>
#include <mutex>

#include "drawing/image_input.h"
#include "drawing/on_threads.h"
#include "drawing/pane_files.h"
#include "drawing/picture_import.h"
#include "drawing/pixel_codes.h"
#include "files/patch_copy.h"
#include "files/path_bytes.h"
#include "files/regular_file.h"
#include "text/name_text.h"
#include "text/picture_file_names.h"
#include "window/form1.h"
#include "window/long_work.h"
#include "window/pane.h"
#include "window/picture_list.h"

namespace hexpane {

namespace {

// Of the problems of a long list, the first few are told.
constexpr std::size_t kToldProblems = 5;

}  // namespace

// The replaced texts a save writes, and what came of it.
struct Saving {
    std::map<std::size_t, std::string> texts;
    QString error;
    bool written = false;
};

// What an export of every picture came to.
struct Exported {
    QString folderError;
    std::atomic<std::size_t> written{0}, kept{0};
    std::mutex mutex;  // for the lists below
    std::vector<std::size_t> noSize;
    QStringList failures;
    std::size_t failed = 0;
};

PictureActions::PictureActions(Form1& form) : QObject(&form), form_(form) {}

bool PictureActions::canCopy() const { return form_.pic[1]->isVisible(); }

bool PictureActions::canReplace() const { return form_.selectedIndex() >= 0 && !form_.busy(); }

bool PictureActions::canUndo() const {
    return canReplace() && form_.replacements.replaced(std::size_t(form_.selectedIndex()));
}

bool PictureActions::canSave() const { return !form_.patchPath.isEmpty() && !form_.busy(); }

bool PictureActions::canExport() const { return !form_.pictures.empty() && !form_.busy(); }

void PictureActions::copyPicture(int pane) {
    if (!canCopy()) return;
    QGuiApplication::clipboard()->setImage(form_.pic[std::size_t(pane)]->image());
}

void PictureActions::undoReplacement() {
    if (!canUndo()) return;
    const int row = form_.selectedIndex();
    form_.replacements.undo(std::size_t(row));
    replaced(row);
}

// The list marks the picture, and it is drawn anew.
void PictureActions::replaced(int row) {
    form_.lst->names()->rowChanged(row);
    form_.lst_Click();
}

bool PictureActions::askToSave(const std::function<void()>& then) {
    if (!form_.replacements.unsaved() || !form_.replacements.any()) return true;
    const QStringList answers = {tr("Save"), tr("Discard"), tr("Cancel")};
    const int answer =
        form_.messages().ask(QMessageBox::Warning,
                             tr("The pictures replaced in %1 are not saved. Save the patch with them first?")
                                 .arg(shownPath(form_.patchPath)),
                             answers);
    if (answer == 1) return true;
    if (answer == 0) savePatchAs(then);
    return false;
}

void PictureActions::replaceFromImage() {
    if (!canReplace()) return;
    CommonDialog& cd = *form_.cd;
    cd.DefaultExt = QString();
    cd.Filter = tr("Images") + QStringLiteral("|*.bmp;*.png");
    cd.FileName = QString();
    if (cd.ShowOpen()) replaceFrom(cd.FileName);
}

// The sizes an image for the selected picture may have, by the importer's
// rule: any W x H of its pixel count when the size table gives it no size;
// otherwise the size it is drawn at, the table's or the one the user chose.
ImageShape PictureActions::imageShape() const {
    const PictureText picture = form_.pictures[std::size_t(form_.selectedIndex())];
    return {pictureSize(picture, form_.tables) ? form_.drawnSize() : std::nullopt, pixelCount(picture)};
}

void PictureActions::replaceFrom(const QString& path) {
    if (!canReplace()) return;
    const int row = form_.selectedIndex();
    const auto i = std::size_t(row);
    const QString picture = QStringLiteral("%1 (%2)").arg(indexText(i), displayName(form_.pictures[i].name));
    const auto refuse = [&](const QString& why) {
        form_.messages().show(QMessageBox::Critical,
                              tr("Picture %1 cannot be replaced from %2:\n%3").arg(picture, shownPath(path), why));
    };
    const ImageRead read = readImage(path, imageShape(), picture, QStringLiteral("size.txt"));
    if (read.image.isNull()) {
        form_.messages().show(QMessageBox::Critical,
                              tr("Picture %1 cannot be replaced:\n%2").arg(picture, read.problem));
        return;
    }
    const TransparentColour option = form_.transparentColour();
    const PixelCodes codes(form_.colours, option);
    std::string text(form_.newHex(i));
    ImportedPicture imported = importImage(read.image, text, {form_.colours, option, codes, false, {}});
    // Colours no code draws, and nothing else: they may take the nearest code's, if the user wants it so.
    if (imported.unknown > 0 && imported.problems.size() == 1) {
        const int answer = form_.messages().ask(QMessageBox::Question,
                                                imported.problems.constFirst() + QStringLiteral("\n\n") +
                                                    tr("Give each of them the code of the nearest colour?"),
                                                {tr("Use the nearest colours"), tr("Cancel")});
        if (answer != 0) return;
        text = form_.newHex(i);
        imported = importImage(read.image, text, {form_.colours, option, codes, true, {}});
    }
    if (!imported.problems.isEmpty()) return refuse(imported.problems.join(u'\n'));
    if (imported.changed == 0) {
        form_.messages().show(QMessageBox::Information,
                              tr("%1 draws picture %2 as it is: nothing was changed.").arg(shownPath(path), picture));
        return;
    }
    form_.replacements.replace(i, std::move(text));
    replaced(row);
}

void PictureActions::savePatchAs(const std::function<void()>& then) {
    if (!canSave()) return;
    CommonDialog& cd = *form_.cd;
    cd.DefaultExt = QStringLiteral(".vkp");
    cd.Filter = QStringLiteral("*.vkp|*.vkp");
    cd.FileName = QString();
    if (!cd.ShowSave()) return;
    const QString output = cd.FileName;
    // The dialog asked before it gave a name that is taken; a file that comes
    // to have that name meanwhile is left alone.
    const bool replace = nameTaken(output);
    const bool overPatch =
        replace && QFileInfo(output).canonicalFilePath() == QFileInfo(form_.patchPath).canonicalFilePath();
    auto saving = std::make_shared<Saving>();
    for (const std::size_t i : form_.replacements.pictures()) saving->texts.emplace(i, form_.newHex(i));
    LongWork::Job job;
    // Once the copy has begun it is not stopped: the file is then written, or not at all.
    job.work = [saving, patch = form_.patchPath, digest = form_.patchDigest, output, replace,
                hook = form_.beforeStep](ReadWatch& watch) {
        watch.beforeChunk = hook;
        std::vector<ChangedText> changes;
        for (const auto& [i, text] : saving->texts) changes.push_back({i, &text});
        saving->error = writePatch(patch, digest, changes, output, replace, &watch);
        saving->written = saving->error.isEmpty();
    };
    job.text = [shown = shownPath(output)](std::uint64_t done, std::uint64_t total) {
        return tr("Saving %1\n%2 %")
            .arg(shown)
            .arg(total == 0 ? 100 : std::min<std::uint64_t>(done * 100 / total, 100));
    };
    job.done = [this, saving, overPatch, then](bool cancelled) {
        if (!saving->written) {
            // Cancelled while the patch was searched: nothing was written.
            if (!cancelled) form_.messages().show(QMessageBox::Critical, saving->error);
            return;
        }
        form_.replacements.saved();
        // The patch now holds the replaced texts: it is read again, as opened, the same picture selected.
        if (overPatch) form_.openPatch(form_.patchPath, form_.selectedIndex());
        emit form_.stateChanged();
        if (then) then();
    };
    form_.work()->start(std::move(job));
    emit form_.stateChanged();
}

// The first few items of a longer list, and how many more there are.
QString PictureActions::listed(const QStringList& items, std::size_t count) {
    const auto more = int(std::min<std::size_t>(count - std::size_t(items.size()), INT_MAX));
    QString text = items.join(u'\n');
    if (more > 0) text += u'\n' + tr("and %n more", "", more);
    return text;
}

// The files to write that are there already: those the folder lists.
std::size_t PictureActions::filesThere(const QString& folder) const {
    const QDir dir(folder);
    if (!dir.exists()) return 0;
    const QStringList listed = dir.entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
    const QSet<QString> there(listed.begin(), listed.end());
    std::size_t count = 0;
    for (std::size_t i = 0; i < form_.pictures.size(); ++i) {
        if (!pictureSize(form_.pictures[i], form_.tables)) continue;
        for (const char* pane : {"old", "new"})
            count += there.contains(pictureFileName(i, form_.pictures[i].name, pane, "bmp")) ? 1 : 0;
    }
    return count;
}

void PictureActions::exportAll() {
    if (!canExport()) return;
    CommonDialog& cd = *form_.cd;
    cd.FileName = QString();
    if (!cd.ShowFolder()) return;
    const QString folder = patchFolder(cd.FileName, form_.patchPath);
    Existing existing = Existing::Keep;
    if (const std::size_t there = filesThere(folder); there > 0) {
        const int answer = form_.messages().ask(
            QMessageBox::Question,
            tr("%n of the files to write are in %1 already.", "", int(std::min<std::size_t>(there, INT_MAX)))
                .arg(shownPath(folder)),
            {tr("Replace them"), tr("Keep them"), tr("Cancel")});
        if (answer == 2) return;
        if (answer == 0) existing = Existing::Replace;
    }
    auto exported = std::make_shared<Exported>();
    const TransparentColour option = form_.transparentColour();
    LongWork::Job job;
    job.work = [this, exported, folder, existing, option, hook = form_.beforeStep](ReadWatch& watch) {
        watch.total = form_.pictures.size();
        exported->folderError = makeFolder(folder);
        if (!exported->folderError.isEmpty()) return;
        std::atomic<std::size_t> next = 0;
        runOnThreads(paneFileWriters(), [&] {
            for (std::size_t i = next++; i < form_.pictures.size(); i = next++) {
                if (hook) hook();
                if (watch.stop) break;  // between files: each one written is whole
                exportPicture(i, folder, option, existing, *exported);
                ++watch.bytes;
            }
        });
    };
    job.text = [shown = shownPath(folder)](std::uint64_t done, std::uint64_t total) {
        return tr("Exporting the pictures to %1\n%2 of %3").arg(shown).arg(done).arg(total);
    };
    job.done = [this, exported, folder](bool cancelled) { tellExported(*exported, folder, cancelled); };
    form_.work()->start(std::move(job));
    emit form_.stateChanged();
}

// On a thread of the export: nothing it reads changes while an export runs.
void PictureActions::exportPicture(std::size_t i, const QString& folder, TransparentColour option, Existing existing,
                                   Exported& exported) const {
    const PictureText picture = form_.pictures[i];
    const std::optional<PictureSize> size = pictureSize(picture, form_.tables);
    if (!size) {
        const std::lock_guard lock(exported.mutex);
        exported.noSize.push_back(i);
        return;
    }
    try {
        for (const PaneFile& file : writePaneFiles(folder, i, picture.name, {picture.oldHex, form_.newHex(i)}, *size,
                                                   form_.colours, option, "bmp", existing)) {
            if (file.saved.outcome == Saved::Written) ++exported.written;
            if (file.saved.outcome == Saved::Kept) ++exported.kept;
            if (file.saved.outcome != Saved::Failed) continue;
            const std::lock_guard lock(exported.mutex);
            if (std::size_t(exported.failures.size()) < kToldProblems) exported.failures << file.saved.error;
            ++exported.failed;
        }
    } catch (const std::bad_alloc&) {
        const std::lock_guard lock(exported.mutex);
        if (std::size_t(exported.failures.size()) < kToldProblems)
            exported.failures << tr("There is not enough memory to write picture %1.").arg(indexText(i));
        ++exported.failed;
    }
}

void PictureActions::tellExported(Exported& exported, const QString& folder, bool cancelled) {
    if (!exported.folderError.isEmpty()) {
        form_.messages().show(QMessageBox::Critical,
                              tr("Cannot create the folder %1:\n%2").arg(shownPath(folder), exported.folderError));
        return;
    }
    QStringList told = {tr("%n files written to %1.", "", int(exported.written)).arg(shownPath(folder))};
    if (cancelled) told << tr("The export was cancelled: the pictures after these were not written.");
    if (exported.kept > 0)
        told << tr("%n files that were there already were kept as they are.", "", int(exported.kept));
    if (!exported.noSize.empty()) {
        std::sort(exported.noSize.begin(), exported.noSize.end());
        QStringList names;
        for (std::size_t k = 0; k < std::min(exported.noSize.size(), kToldProblems); ++k) {
            const std::size_t i = exported.noSize[k];
            names << QStringLiteral("%1 %2").arg(indexText(i), displayName(form_.pictures[i].name));
        }
        told << tr("%n pictures have no known size, so no file was written for them:", "",
                   int(exported.noSize.size())) +
                    u'\n' + listed(names, exported.noSize.size());
    }
    if (exported.failed > 0) told << listed(exported.failures, exported.failed);
    const bool troubled = cancelled || exported.failed > 0 || !exported.noSize.empty();
    form_.messages().show(troubled ? QMessageBox::Warning : QMessageBox::Information,
                          told.join(QStringLiteral("\n\n")));
}

}  // namespace hexpane
