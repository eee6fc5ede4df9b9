// A picture as every program draws it: the two tables, the size a picture gets
// from the size table, that size as the window's label shows it, and a pane
// drawn as an image in the colours the window shows. The window, hexpane-export
// and hexpane-import all call these, so a picture looks the same in each.
#pragma once

#include <QImage>
#include <QPalette>
#include <QString>
#include <QStringList>

#include <optional>
#include <string_view>
#include <vector>

#include "gui/system_colours.h"
#include "patch/patch_reader.h"
#include "picture/render.h"
#include "tables/colour_table.h"
#include "tables/size_table.h"

namespace hexpane {

// The colour table and the size table, with the sizes indexed by pixel count.
// Moved, never copied: the index points into the size records.
struct Tables {
    Tables() = default;
    Tables(ColourTable colourTable, std::vector<SizeRecord> sizeRecords);
    Tables(Tables&&) = default;
    Tables& operator=(Tables&&) = default;
    Tables(const Tables&) = delete;
    Tables& operator=(const Tables&) = delete;
    ~Tables() = default;

    ColourTable colours;
    std::vector<SizeRecord> sizes;
    SizeIndex index{sizes};
};

// The file of that name in the folder that holds the program.
QString besideProgram(const QString& name);

// Reads map.txt and size.txt; an empty path stands for the file beside the
// program. What went wrong is appended to problems, one line each, "FILE: what";
// the tables keep what was read.
Tables loadTables(const QString& mapPath, const QString& sizePath, QStringList& problems);

// The size records whose pixel count is the picture's, in table order.
std::vector<SizeRecord> sizesOf(const PictureRecord& picture, const Tables& tables);

// The size a picture is drawn at: that of the first record found, if usable.
std::optional<PictureSize> pictureSize(const PictureRecord& picture, const Tables& tables);

// "WxH", or "Error" for a picture without a size.
QString sizeText(const std::optional<PictureSize>& size);

// One pane: the hex text drawn at size through the colour table, C0 as the
// option says, system colours as the palette has them. A null image when the
// picture is too large for the memory left or for the toolkit's images.
QImage drawPane(std::string_view hex, PictureSize size, const ColourTable& colours, TransparentColour option,
                const QPalette& palette);
// The same in the window's default colours (defaultPalette()), where no window supplies them.
QImage drawPane(std::string_view hex, PictureSize size, const ColourTable& colours, TransparentColour option);

}  // namespace hexpane
