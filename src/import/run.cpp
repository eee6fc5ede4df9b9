#include "import/run.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>

#include <cstdint>
#include <map>
#include <new>
#include <optional>

#include "drawing/drawing.h"
#include "files/path_bytes.h"
#include "files/regular_file.h"
#include "files/saved_file.h"
#include "import/image_names.h"
#include "import/patch_copy.h"
#include "import/picture_import.h"
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
QString pictureText(std::size_t index, const PictureRecord& picture) {
    return QStringLiteral("%1 (%2)").arg(indexText(index), displayName(picture.name));
}

// The images by picture index; an index that names no picture, or a picture
// named by two images, is refused.
std::map<std::size_t, QString> imagesByPicture(const std::vector<NamedImage>& images, const LocatedPatch& patch,
                                               const QString& patchPath, Report& report) {
    std::map<std::size_t, QString> byPicture;
    for (const NamedImage& image : images) {
        if (image.index >= patch.pictures.size()) {
            report.problem(ExitStatus::Incomplete, QStringLiteral("%1: %2 holds no picture of that index (it has %3).")
                                                       .arg(shownPath(image.path), shownPath(patchPath))
                                                       .arg(patch.pictures.size()));
            continue;
        }
        const auto [at, added] = byPicture.try_emplace(image.index, image.path);
        if (!added) {
            report.problem(ExitStatus::Incomplete, QStringLiteral("%1 and %2 are both for picture %3; name only one.")
                                                       .arg(shownPath(at->second), shownPath(image.path),
                                                            pictureText(image.index, patch.pictures[image.index])));
        }
    }
    return byPicture;
}

QByteArray readAll(std::istream& in) {
    QByteArray bytes;
    constexpr qsizetype kChunk = qsizetype{1} << 16;
    for (qsizetype got = kChunk; got == kChunk;) {
        const qsizetype held = bytes.size();
        bytes.resize(held + kChunk);
        in.read(bytes.data() + held, kChunk);
        got = qsizetype(in.gcount());
        bytes.resize(held + got);
    }
    return bytes;
}

// The sizes an image may have: the size its picture is drawn at, or, for a
// picture that the size table gives no size, any W x H of its pixel count:
// pixels go row by row whatever the width, so each such image is exact.
struct ImageShape {
    std::optional<PictureSize> drawn;
    std::int64_t pixels = 0;

    bool fits(QSize size) const {
        if (drawn) return size == QSize(drawn->width, drawn->height);
        return size.width() > 0 && std::int64_t{size.width()} * size.height() == pixels;
    }
    QString wanted(const QString& picture, const QString& sizeTable) const {
        if (drawn) return QStringLiteral("picture %1 is %2x%3").arg(picture).arg(drawn->width).arg(drawn->height);
        return QStringLiteral("picture %1 has no size in %2, so its width times height must be its pixel count, %3")
            .arg(picture, shownPath(sizeTable))
            .arg(pixels);
    }
};

// The image, of a shape that fits its picture, or a null one with the reason told.
QImage readImage(const QString& path, const ImageShape& shape, const QString& picture, const QString& sizeTable,
                 Report& report) {
    const auto refuse = [&](ExitStatus status, const QString& why) {
        report.problem(status, QStringLiteral("%1: %2").arg(shownPath(path), why));
        return QImage();
    };
    QString error;
    QByteArray bytes = readFile(path, readAll, &error);
    if (!error.isEmpty()) return refuse(ExitStatus::Failed, QStringLiteral("cannot read it:\n%1").arg(error));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    // By its content, whatever its name says; only the two formats the exporter writes.
    if (const QByteArray format = reader.format(); format != "bmp" && format != "png")
        return refuse(ExitStatus::Failed, QStringLiteral("cannot read it: it is no .bmp or .png image."));
    // The size is known before the pixels are decoded, which a file claiming a huge size would exhaust memory with.
    const auto wrongSize = [&](QSize found) {
        return refuse(ExitStatus::Incomplete, QStringLiteral("it is %1x%2, but %3.")
                                                  .arg(found.width())
                                                  .arg(found.height())
                                                  .arg(shape.wanted(picture, sizeTable)));
    };
    if (reader.size().isValid() && !shape.fits(reader.size())) return wrongSize(reader.size());
    QImage image = reader.read();
    if (image.isNull()) {
        return refuse(ExitStatus::Failed,
                      QStringLiteral("cannot read it as a .bmp or .png image: %1").arg(reader.errorString()));
    }
    if (!shape.fits(image.size())) return wrongSize(image.size());
    return image;
}

struct Outcome {
    std::size_t index;
    ImportedPicture imported;
};

QString outcomeText(const Outcome& outcome, const PictureRecord& picture) {
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
    Import(const ImportOptions& options, const Tables& tables, LocatedPatch& patch)
        : options_(options), tables_(tables), patch_(patch), codes_(tables.colours, options.transparent) {}

    void picture(std::size_t index, const QString& imagePath, Report& report);
    void tell(Report& report) const;
    // The changed pictures' texts, in file order.
    std::vector<ChangedText> changes() const;

private:
    const ImportOptions& options_;
    const Tables& tables_;
    LocatedPatch& patch_;
    const PixelCodes codes_;
    std::vector<Outcome> outcomes_;
};

void Import::picture(std::size_t index, const QString& imagePath, Report& report) {
    PictureRecord& picture = patch_.pictures[index];
    const QString sizeTable =
        options_.sizePath.isEmpty() ? QStringLiteral("size.txt") : QFileInfo(options_.sizePath).fileName();
    const ImageShape shape{pictureSize(picture, tables_), pixelCount(picture)};
    const QImage image = readImage(imagePath, shape, pictureText(index, picture), sizeTable, report);
    if (image.isNull()) return;
    const ImportRules rules{tables_.colours, options_.transparent, codes_, options_.nearest};
    ImportedPicture imported = importImage(image, picture.newHex, rules);
    for (const QString& problem : imported.problems)
        report.problem(ExitStatus::Incomplete, QStringLiteral("%1: %2").arg(shownPath(imagePath), problem));
    outcomes_.push_back({index, std::move(imported)});
}

void Import::tell(Report& report) const {
    for (const Outcome& outcome : outcomes_) report.note(outcomeText(outcome, patch_.pictures[outcome.index]));
}

std::vector<ChangedText> Import::changes() const {
    std::vector<ChangedText> changes;
    for (const Outcome& outcome : outcomes_) {
        if (outcome.imported.changed == 0) continue;
        changes.push_back({&patch_.pictures[outcome.index].newHex, &patch_.newTextRuns[outcome.index],
                           &outcome.imported.changedPixels});
    }
    return changes;
}

void importAll(const ImportOptions& options, Report& report) {
    const std::optional<Tables> tables = readTables(options, report);
    std::optional<LocatedPatch> patch = readReported(options.patch, readPatchLocated, report);
    if (!tables || !patch) return;
    if (!options.force && nameTaken(options.output)) {
        report.problem(ExitStatus::Incomplete,
                       QStringLiteral("%1 exists; --force replaces it.").arg(shownPath(options.output)));
    }
    const std::vector<NamedImage> images = namedImages(options.images, report);
    Import import(options, *tables, *patch);
    for (const auto& [index, path] : imagesByPicture(images, *patch, options.patch, report))
        import.picture(index, path, report);
    if (report.status() != ExitStatus::Done) {
        report.note(QStringLiteral("Nothing was written."));
        return;
    }
    import.tell(report);
    if (options.dryRun) {
        report.note(QStringLiteral("Nothing was written (--dry-run)."));
        return;
    }
    const QString error = writePatch(options.patch, import.changes(), options.output, options.force);
    if (!error.isEmpty()) report.problem(ExitStatus::Incomplete, error);
}

}  // namespace

void runImport(const ImportOptions& options, Report& report) {
    // An image is decoded only once its header gives its picture's size, which
    // the patch's text bounds: no limit of the toolkit's is needed beyond that.
    QImageReader::setAllocationLimit(0);
    try {
        importAll(options, report);
    } catch (...) {
        report.stopped(ExitStatus::Incomplete, QStringLiteral("import the pictures; nothing was written"));
    }
}

}  // namespace hexpane
