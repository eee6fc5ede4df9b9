#include "export/sheet.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <optional>

#include "export/file_names.h"
#include "gui/name_text.h"

namespace hexpane {

namespace {

constexpr int kMargin = 8, kGap = 16, kPaneGap = 4, kLabelGap = 3, kNameWidth = 320;
constexpr qint64 kMaxSide = qint64{1} << 17, kMaxArea = qint64{1} << 30;
constexpr QRgb kPaper = 0xFFFFFFFF, kInk = 0xFF000000, kFrame = 0xFFA0A0A0, kMissing = 0xFFC00000;

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

std::vector<Cell> makeCells(const std::vector<PictureRecord>& pictures, const Tables& tables, int zoom,
                            const QFontMetrics& metrics) {
    std::vector<Cell> cells;
    cells.reserve(pictures.size());
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        Cell cell;
        cell.size = pictureSize(pictures[i], tables);
        const QString name = metrics.elidedText(displayName(pictures[i].name), Qt::ElideRight, kNameWidth);
        QString size = sizeText(cell.size);
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
// is tall; returns the sheet's size.
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

// False when a pane is too large for memory.
bool paintCell(QPainter& painter, const Cell& cell, const PictureRecord& picture, const Tables& tables,
               TransparentColour option, int zoom) {
    painter.setPen(QColor::fromRgb(cell.size ? kInk : kMissing));
    painter.drawText(int(cell.x), int(cell.y) + painter.fontMetrics().ascent(), cell.label);
    if (!cell.size) return true;
    const int top = int(cell.y) + painter.fontMetrics().height() + kLabelGap;
    const std::string* hex[2] = {&picture.oldHex, &picture.newHex};
    for (int k = 0; k < 2; ++k) {
        QImage pane = drawPane(*hex[k], *cell.size, tables.colours, option);
        if (zoom > 1 && !pane.isNull()) {
            pane =
                pane.scaled(int(cell.paneWidth), int(cell.paneHeight), Qt::IgnoreAspectRatio, Qt::FastTransformation);
        }
        if (pane.isNull()) return false;
        const int left = int(cell.x + k * (cell.paneWidth + 2 + kPaneGap));
        painter.setPen(QColor::fromRgb(kFrame));
        painter.drawRect(left, top, int(cell.paneWidth) + 1, int(cell.paneHeight) + 1);
        painter.drawImage(left + 1, top + 1, pane);
    }
    return true;
}

}  // namespace

QImage drawSheet(const std::vector<PictureRecord>& pictures, const Tables& tables, TransparentColour option, int zoom) {
    const QFont font = labelFont();
    std::vector<Cell> cells = makeCells(pictures, tables, zoom, QFontMetrics(font));
    const QSize size = layOut(cells);
    if (size.isEmpty()) return {};
    QImage sheet(size, QImage::Format_RGB32);
    if (sheet.isNull()) return {};
    sheet.fill(kPaper);
    QPainter painter(&sheet);
    painter.setFont(font);
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (!paintCell(painter, cells[i], pictures[i], tables, option, zoom)) return {};
    }
    return sheet;
}

}  // namespace hexpane
