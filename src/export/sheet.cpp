#include "export/sheet.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>

#include <sys/stat.h>

#include "export/output.h"
#include "export/patch_input.h"
#include "files/path_bytes.h"
#include "text/name_text.h"
#include "text/picture_file_names.h"

namespace hexpane {

namespace {

constexpr int kMargin = 8, kGap = 16, kPaneGap = 4, kLabelGap = 3, kNameWidth = 320;
constexpr qint64 kMaxSide = qint64{1} << 17, kMaxArea = qint64{1} << 30;
constexpr QRgb kPaper = 0xFFFFFFFF, kInk = 0xFF000000, kFrame = 0xFFA0A0A0, kMissing = 0xFFC00000;

// The size of an image of `size` drawn by drawSampled.
QSize sampledSize(QSize size, int enlarge, int reduce) {
    const auto side = [&](int length) { return int((qint64{length} * enlarge + reduce - 1) / reduce); };
    return {side(size.width()), side(size.height())};
}

// Draws `from` into `to` with its top left corner at `at`, scaled without
// blending by a whole factor: each pixel repeated `enlarge` times each way,
// or only every `reduce`-th pixel of each row and column kept, from the
// first. Both images hold 32 bits per pixel, and `to` has room for the result.
void drawSampled(const QImage& from, QImage& to, QPoint at, int enlarge, int reduce) {
    const QSize size = sampledSize(from.size(), enlarge, reduce);
    for (int y = 0; y < size.height(); ++y) {
        const auto* source = reinterpret_cast<const QRgb*>(from.constScanLine(int(qint64{y} * reduce / enlarge)));
        auto* target = reinterpret_cast<QRgb*>(to.scanLine(at.y() + y)) + at.x();
        for (int x = 0; x < size.width(); ++x) target[x] = source[qint64{x} * reduce / enlarge];
    }
}

struct Cell {
    QString label;
    std::optional<PictureSize> size;
    qint64 paneWidth = 0, paneHeight = 0;  // zoomed, without the frame
    qint64 width = 0, height = 0;          // label and drawings together
    qint64 x = 0, y = 0;
};

QFont labelFont() {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(12);
    return font;
}

std::vector<Cell> makeCells(const Pictures& pictures, const Tables& tables, const ExportOptions& options,
                            const QFontMetrics& metrics) {
    const int zoom = options.zoom;
    const std::vector<SizeChoice> choices = pictureSizes(pictures, tables, options.guessing);
    std::vector<Cell> cells;
    cells.reserve(pictures.size());
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        Cell cell;
        cell.size = choices[i].size;
        const QString name = metrics.elidedText(displayName(pictures[i].name), Qt::ElideRight, kNameWidth);
        QString size = sizeText(choices[i]);
        if (!cell.size) size += QStringLiteral(": no size for %1 pixels").arg(pictures[i].newHex.size() / 2);
        cell.label = QStringLiteral("%1 %2 %3").arg(indexText(i), name, size);
        cell.width = metrics.horizontalAdvance(cell.label);
        cell.height = metrics.height();
        if (cell.size) {
            cell.paneWidth = qint64{cell.size->width} * zoom;
            cell.paneHeight = qint64{cell.size->height} * zoom;
            cell.width = std::max(cell.width, 2 * (cell.paneWidth + 2) + kPaneGap);
            cell.height += kLabelGap + cell.paneHeight + 2;
        }
        cells.push_back(std::move(cell));
    }
    return cells;
}

// Rows of cells, wrapped at a width that makes the sheet about as wide as it
// is tall; returns the sheet's size, empty when it is past what can be drawn.
QSize layOut(std::vector<Cell>& cells) {
    qint64 area = 0, widest = 0;
    for (const Cell& cell : cells) {
        area += (cell.width + kGap) * (cell.height + kGap);
        widest = std::max(widest, cell.width);
    }
    const qint64 lineWidth = std::max(widest, qint64(std::sqrt(double(area)) * 1.3));
    qint64 x = kMargin, y = kMargin, rowHeight = 0, right = 0;
    for (Cell& cell : cells) {
        if (x > kMargin && x + cell.width > kMargin + lineWidth) {
            x = kMargin;
            y += rowHeight + kGap;
            rowHeight = 0;
        }
        cell.x = x;
        cell.y = y;
        x += cell.width + kGap;
        right = std::max(right, cell.x + cell.width);
        rowHeight = std::max(rowHeight, cell.height);
    }
    const qint64 width = right + kMargin, height = y + rowHeight + kMargin;
    if (width > kMaxSide || height > kMaxSide || width * height > kMaxArea) return {};
    return {int(width), int(height)};
}

// The top left corner of a cell's pane k, inside its frame.
QPoint paneCorner(const Cell& cell, int k, const QFontMetrics& metrics) {
    return {int(cell.x + k * (cell.paneWidth + 2 + kPaneGap)) + 1, int(cell.y) + metrics.height() + kLabelGap + 1};
}

// The labels and the panes' frames.
void paintLabels(QImage& sheet, const std::vector<Cell>& cells, const QFont& font) {
    QPainter painter(&sheet);
    painter.setFont(font);
    for (const Cell& cell : cells) {
        painter.setPen(QColor::fromRgb(cell.size ? kInk : kMissing));
        painter.drawText(int(cell.x), int(cell.y) + painter.fontMetrics().ascent(), cell.label);
        if (!cell.size) continue;
        painter.setPen(QColor::fromRgb(kFrame));
        for (int k = 0; k < 2; ++k) {
            const QPoint corner = paneCorner(cell, k, painter.fontMetrics());
            painter.drawRect(corner.x() - 1, corner.y() - 1, int(cell.paneWidth) + 1, int(cell.paneHeight) + 1);
        }
    }
}

QImage drawSheet(const Pictures& pictures, const std::vector<Cell>& cells, QSize size, const QFont& font,
                 const Tables& tables, const ExportOptions& options) {
    QImage sheet(size, QImage::Format_RGB32);
    if (sheet.isNull()) return {};
    sheet.fill(kPaper);
    paintLabels(sheet, cells, font);
    const QFontMetrics metrics(font);
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (!cells[i].size) continue;
        const std::string_view hex[2] = {pictures[i].oldHex, pictures[i].newHex};
        for (int k = 0; k < 2; ++k) {
            const QImage pane = drawPane(hex[k], *cells[i].size, tables.colours, options.transparent);
            if (pane.isNull()) return {};
            drawSampled(pane, sheet, paneCorner(cells[i], k, metrics), options.zoom, 1);
        }
    }
    return sheet;
}

struct Drawable {
    std::size_t index;
    PictureSize size;
};

// The first pictures that have a size. The patch is read again from its start
// as more of it is needed, so the guesses already made are kept, not made
// again; there are few, as each picture guessed has a size.
class FirstDrawable {
public:
    FirstDrawable(const Tables& tables, Guessing guessing) : tables_(tables), guessing_(guessing) {}

    std::vector<Drawable> operator()(const FirstPictures& first) {
        std::vector<Drawable> found;
        for (std::size_t i = 0; i < first.count && found.size() < std::size_t(kThumbnailCells); ++i) {
            if (const auto size = sizeOf(i, first.pictures[i])) found.push_back({i, *size});
        }
        return found;
    }

private:
    // A guess that gives no size (a picture too small to guess) costs next to
    // nothing, and is not kept: what is kept grows with the pictures drawn only.
    std::optional<PictureSize> sizeOf(std::size_t index, const PictureText& picture) {
        if (const auto size = pictureSize(picture, tables_)) return size;
        if (guessing_ == Guessing::Off) return std::nullopt;
        const auto kept = guessed_.find(index);
        if (kept != guessed_.end() && kept->second.count == pixelCount(picture)) return kept->second.size;
        const std::optional<PictureSize> size = pictureSize(picture, tables_, guessing_).size;
        if (size) guessed_[index] = {pixelCount(picture), *size};  // the file may have changed meanwhile
        return size;
    }

    struct Guessed {
        std::int32_t count;
        PictureSize size;
    };
    const Tables& tables_;
    Guessing guessing_;
    std::map<std::size_t, Guessed> guessed_;
};

// Where a drawing of `size` goes in a cell of `cell` at `corner`, centred, and
// the whole factor it is enlarged or reduced by.
struct Placement {
    QRect rect;
    int enlarge = 1, reduce = 1;
};

Placement place(PictureSize size, QSize cell, QPoint corner) {
    Placement placed;
    const auto ceiling = [](int a, int b) { return (a + b - 1) / b; };
    if (size.width <= cell.width() && size.height <= cell.height()) {
        placed.enlarge = std::min(cell.width() / size.width, cell.height() / size.height);
    } else {
        placed.reduce = std::max(ceiling(size.width, cell.width()), ceiling(size.height, cell.height()));
    }
    const QSize drawn = sampledSize({size.width, size.height}, placed.enlarge, placed.reduce);
    placed.rect =
        QRect(corner + QPoint((cell.width() - drawn.width()) / 2, (cell.height() - drawn.height()) / 2), drawn);
    return placed;
}

QImage drawThumbnail(const Pictures& pictures, const std::vector<Drawable>& chosen, const ColourTable& colours,
                     TransparentColour option, int size) {
    const int count = int(chosen.size()), columns = count > 1 ? 2 : 1, rows = (count + 1) / 2;
    const int gap = std::max(1, size / 64);
    const QSize cell((size - (columns - 1) * gap) / columns, (size - (rows - 1) * gap) / rows);
    std::vector<Placement> placed;
    QRect bounds;
    for (int k = 0; k < count; ++k) {
        const QPoint corner((k % columns) * (cell.width() + gap), (k / columns) * (cell.height() + gap));
        placed.push_back(place(chosen[std::size_t(k)].size, cell, corner));
        bounds |= placed.back().rect;
    }
    QImage thumbnail(bounds.size(), QImage::Format_ARGB32);
    if (thumbnail.isNull()) return {};
    thumbnail.fill(Qt::transparent);
    for (int k = 0; k < count; ++k) {
        const Drawable& drawable = chosen[std::size_t(k)];
        const QImage pane = drawPane(pictures[drawable.index].newHex, drawable.size, colours, option);
        if (pane.isNull()) return {};
        const Placement& at = placed[std::size_t(k)];
        drawSampled(pane, thumbnail, at.rect.topLeft() - bounds.topLeft(), at.enlarge, at.reduce);
    }
    return thumbnail;
}

}  // namespace

void writeSheet(const ExportOptions& options, const Tables& tables, Report& report) {
    const QString& path = options.patches.front();
    const auto pictures = readPatchFile(path, report);
    if (!pictures || !mayWrite(options.sheet, options.force, report)) return;
    const QFont font = labelFont();
    std::vector<Cell> cells = makeCells(*pictures, tables, options, QFontMetrics(font));
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (!cells[i].size) {
            report.problem(ExitStatus::Incomplete,
                           noSizeText(path, i, (*pictures)[i], QStringLiteral("so only its label is on the sheet")));
        }
    }
    const QSize size = layOut(cells);
    if (size.isEmpty()) {
        report.problem(ExitStatus::Incomplete,
                       QStringLiteral("Cannot save %1: the sheet is too large to draw.").arg(shownPath(options.sheet)));
        return;
    }
    saveDrawing(
        options.sheet, options.sheetFormat, options.force, QStringLiteral("the sheet"),
        [&] { return drawSheet(*pictures, cells, size, font, tables, options); }, report);
}

// Whether two paths name one file.
bool sameFile(const QString& a, const QString& b) {
    struct stat first {
    }, second{};
    return ::stat(pathBytes(a).constData(), &first) == 0 && ::stat(pathBytes(b).constData(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

// Desktop thumbnail services make OUT first, hold it open and read the
// thumbnail back through it: an existing regular file is written in place,
// but never the patch itself.
void writeThumbnail(const ExportOptions& options, const Tables& tables, Report& report) {
    const QString& path = options.patches.front();
    const Existing existing = options.force ? Existing::Replace : Existing::Keep;
    QString refused = checkSave(options.sheet, existing, Written::InPlace);
    if (refused.isEmpty() && sameFile(path, options.sheet)) {
        refused = QStringLiteral("Cannot save %1:\nIt is the patch itself, so it was left as it is.")
                      .arg(shownPath(options.sheet));
    }
    if (!refused.isEmpty()) {
        report.problem(ExitStatus::Incomplete, refused);
        return;
    }
    FirstDrawable firstDrawable(tables, options.guessing);
    const auto enough = [&](const FirstPictures& first) {
        return firstDrawable(first).size() == std::size_t(kThumbnailCells);
    };
    const auto pictures = readFirstPictures(path, kThumbnailRead, enough, report);
    if (!pictures) return;
    const std::vector<Drawable> chosen = firstDrawable(*pictures);
    if (chosen.empty()) {
        report.problem(ExitStatus::Incomplete,
                       QStringLiteral("%1 holds no picture of a known size among those read, so no thumbnail was "
                                      "written.")
                           .arg(shownPath(path)));
        return;
    }
    saveDrawing(
        options.sheet, "png", options.force, QStringLiteral("the thumbnail"),
        [&] {
            return drawThumbnail(pictures->pictures, chosen, tables.colours, options.transparent,
                                 options.thumbnailSize);
        },
        report, Written::InPlace);
}

}  // namespace hexpane
