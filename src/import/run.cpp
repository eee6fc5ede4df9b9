#include "import/run.h"

#include <QFileInfo>

#include <cstdint>
#include <map>
#include <new>
#include <optional>
#include <string>

#include "drawing/drawing.h"
#include "drawing/image_input.h"
#include "drawing/picture_import.h"
#include "files/patch_copy.h"
#include "files/path_bytes.h"
#include "files/regular_file.h"
#include "files/saved_file.h"
#include "import/image_names.h"
#include "patch/pictures.h"
#include "report/command_line.h"
#include "text/name_text.h"
#include "text/picture_file_names.h"

namespace hexpane {

namespace {

// A table that cannot be read at all would turn every colour into another
// code, so it stops the run; problems within a table are told, as elsewhere.
std::optional<Tables> readTables(const ImportOptions& options, Report& report) {
    const TableFiles files = tableFiles(options.mapPath, options.sizePath);
    const auto stopping = tablesThatStop(files, true);
    for (const auto& [table, reason] : stopping)
        report.problem(ExitStatus::Failed, QStringLiteral("Cannot read %1:\n%2").arg(shownPath(table.path), reason));
    if (!stopping.empty()) return std::nullopt;
    QStringList problems;
    Tables tables = loadTables(files, problems);
    for (const QString& problem : problems) report.note(problem);
    return tables;
}

// "003 (logo)": a picture as messages name it.
QString pictureText(std::size_t index, const PictureText& picture) {
    return QStringLiteral("%1 (%2)").arg(indexText(index), displayName(picture.name));
}

// The images by picture index; an index that names no picture, or a picture
// named by two images, is refused.
std::map<std::size_t, QString> imagesByPicture(const std::vector<NamedImage>& images, const Pictures& pictures,
                                               const QString& patchPath, Report& report) {
    std::map<std::size_t, QString> byPicture;
    for (const NamedImage& image : images) {
        if (image.index >= pictures.size()) {
            report.problem(ExitStatus::Incomplete, QStringLiteral("%1: %2 holds no picture of that index (it has %3).")
                                                       .arg(shownPath(image.path), shownPath(patchPath))
                                                       .arg(pictures.size()));
            continue;
        }
        const auto [at, added] = byPicture.try_emplace(image.index, image.path);
        if (!added) {
            report.problem(ExitStatus::Incomplete, QStringLiteral("%1 and %2 are both for picture %3; name only one.")
                                                       .arg(shownPath(at->second), shownPath(image.path),
                                                            pictureText(image.index, pictures[image.index])));
        }
    }
    return byPicture;
}

struct Outcome {
    std::size_t index;
    std::string newHex;  // the picture's new text, as the image changed it
    ImportedPicture imported;
};

QString outcomeText(const Outcome& outcome, const PictureText& picture) {
    const QString name = QStringLiteral("%1 %2: ").arg(indexText(outcome.index), displayName(picture.name));
    const ImportedPicture& imported = outcome.imported;
    if (imported.changed == 0) return name + QStringLiteral("unchanged");
    QString text = name + QStringLiteral("%1 %2 changed")
                              .arg(imported.changed)
                              .arg(imported.changed == 1 ? QStringLiteral("pixel") : QStringLiteral("pixels"));
    if (imported.approximated > 0) text += QStringLiteral(", %1 of them approximated").arg(imported.approximated);
    return text;
}

class Import {
public:
    Import(const ImportOptions& options, const Tables& tables, const Pictures& pictures)
        : options_(options), tables_(tables), pictures_(pictures), codes_(tables.colours, options.transparent) {}

    void picture(std::size_t index, const QString& imagePath, Report& report);
    void tell(Report& report) const;
    // The changed pictures' texts, in file order.
    std::vector<ChangedText> changes() const;

private:
    const ImportOptions& options_;
    const Tables& tables_;
    const Pictures& pictures_;
    const PixelCodes codes_;
    std::vector<Outcome> outcomes_;
};

void Import::picture(std::size_t index, const QString& imagePath, Report& report) {
    const PictureText picture = pictures_[index];
    const QString sizeTable =
        options_.sizePath.isEmpty() ? QStringLiteral("size.txt") : QFileInfo(options_.sizePath).fileName();
    const ImageShape shape{pictureSize(picture, tables_), pixelCount(picture)};
    const ImageRead read = readImage(imagePath, shape, pictureText(index, picture), sizeTable);
    if (read.image.isNull()) {
        report.problem(read.unreadable ? ExitStatus::Failed : ExitStatus::Incomplete, read.problem);
        return;
    }
    const ImportRules rules{tables_.colours, options_.transparent, codes_, options_.nearest,
                            QStringLiteral(" --nearest gives each the code of the nearest colour.")};
    std::string newHex(picture.newHex);
    ImportedPicture imported = importImage(read.image, newHex, rules);
    if (imported.changed == 0) newHex = std::string();  // nothing to write: no need to hold it
    for (const QString& problem : imported.problems)
        report.problem(ExitStatus::Incomplete, QStringLiteral("%1: %2").arg(shownPath(imagePath), problem));
    outcomes_.push_back({index, std::move(newHex), std::move(imported)});
}

void Import::tell(Report& report) const {
    for (const Outcome& outcome : outcomes_) report.note(outcomeText(outcome, pictures_[outcome.index]));
}

std::vector<ChangedText> Import::changes() const {
    std::vector<ChangedText> changes;
    for (const Outcome& outcome : outcomes_) {
        if (outcome.imported.changed == 0) continue;
        changes.push_back({outcome.index, &outcome.newHex});
    }
    return changes;
}

void importAll(const ImportOptions& options, Report& report, const std::function<void()>& beforeWriting) {
    const std::optional<Tables> tables = readTables(options, report);
    FileDigest read;
    std::optional<Pictures> pictures = readReported(options.patch, readPictures, report, &read);
    if (!tables || !pictures) return;
    if (!options.force && nameTaken(options.output)) {
        report.problem(ExitStatus::Incomplete,
                       QStringLiteral("%1 exists; --force replaces it.").arg(shownPath(options.output)));
    }
    const std::vector<NamedImage> images = namedImages(options.images, report);
    Import import(options, *tables, *pictures);
    for (const auto& [index, path] : imagesByPicture(images, *pictures, options.patch, report))
        import.picture(index, path, report);
    const Existing existing = options.force ? Existing::Replace : Existing::Keep;
    // What a real run would refuse before writing, a dry run refuses too.
    if (report.status() == ExitStatus::Done && options.dryRun) {
        if (const QString refused = checkSave(options.output, existing); !refused.isEmpty())
            report.problem(ExitStatus::Incomplete, refused);
    }
    if (report.status() != ExitStatus::Done) {
        report.note(QStringLiteral("Nothing was written."));
        return;
    }
    if (options.dryRun) {
        import.tell(report);
        report.note(QStringLiteral("Nothing was written (--dry-run)."));
        return;
    }
    if (beforeWriting) beforeWriting();
    if (const QString error = writePatch(options.patch, read, import.changes(), options.output, options.force);
        !error.isEmpty()) {
        report.problem(ExitStatus::Incomplete, error);
        report.note(QStringLiteral("Nothing was written."));
        return;
    }
    import.tell(report);
}

}  // namespace

void runImport(const ImportOptions& options, Report& report, const std::function<void()>& beforeWriting) {
    try {
        importAll(options, report, beforeWriting);
    } catch (...) {
        report.stopped(ExitStatus::Incomplete, QStringLiteral("import the pictures; nothing was written"));
    }
}

}  // namespace hexpane
