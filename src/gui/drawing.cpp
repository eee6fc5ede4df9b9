#include "gui/drawing.h"

#include <QCoreApplication>
#include <QDir>

#include <new>
#include <utility>

#include "gui/table_files.h"

namespace hexpane {

QString besideProgram(const QString& name) { return QDir(QCoreApplication::applicationDirPath()).filePath(name); }

Tables::Tables(ColourTable colourTable, std::vector<SizeRecord> sizeRecords)
    : colours(std::move(colourTable)), sizes(std::move(sizeRecords)) {}

Tables loadTables(const QString& mapPath, const QString& sizePath, QStringList& problems) {
    const auto orBeside = [](const QString& path, const char* name) {
        return path.isEmpty() ? besideProgram(QLatin1String(name)) : path;
    };
    ColourTable colours = loadColourTable(orBeside(mapPath, "map.txt"), problems);
    return {std::move(colours), loadSizeTable(orBeside(sizePath, "size.txt"), problems)};
}

std::vector<SizeRecord> sizesOf(const PictureRecord& picture, const Tables& tables) {
    return findSizes(tables.sizes, pixelCount(picture));
}

std::optional<PictureSize> pictureSize(const PictureRecord& picture, const Tables& tables) {
    const SizeRecord* first = tables.index.first(pixelCount(picture));
    return first ? drawingSize(*first) : std::nullopt;
}

QString sizeText(const std::optional<PictureSize>& size) {
    return size ? QStringLiteral("%1x%2").arg(size->width).arg(size->height) : QStringLiteral("Error");
}

QImage drawPane(std::string_view hex, PictureSize size, const ColourTable& colours, TransparentColour option,
                const QPalette& palette) {
    try {
        return paneImage(renderPane(hex, size.width, size.height, colours, option), size.width, size.height, palette);
    } catch (const std::bad_alloc&) {
        return {};
    }
}

QImage drawPane(std::string_view hex, PictureSize size, const ColourTable& colours, TransparentColour option) {
    static const QPalette palette = defaultPalette();
    return drawPane(hex, size, colours, option, palette);
}

}  // namespace hexpane
