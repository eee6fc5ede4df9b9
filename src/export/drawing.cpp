#include "export/drawing.h"

#include <QDir>

#include <new>

#include "export/file_names.h"
#include "gui/name_text.h"
#include "gui/system_colours.h"

namespace hexpane {

std::optional<PictureSize> sizeOf(const PictureRecord& picture, const std::vector<SizeRecord>& sizes) {
    return drawingSize(findSizes(sizes, pixelCount(picture)));
}

QString noSizeText(const QString& patchPath, std::size_t index, const PictureRecord& picture) {
    return QStringLiteral("%1: picture %2 (%3) has no known size for %4 pixels, so it was left out.")
        .arg(QDir::toNativeSeparators(patchPath), indexText(index), displayName(picture.name),
             QString::number(picture.newHex.size() / 2));
}

QImage drawPane(std::string_view hex, PictureSize size, const ColourTable& colours, TransparentColour option) {
    static const QPalette palette = defaultPalette();
    try {
        return paneImage(renderPane(hex, size.width, size.height, colours, option), size.width, size.height, palette);
    } catch (const std::bad_alloc&) {
        return {};
    }
}

}  // namespace hexpane
