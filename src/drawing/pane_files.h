// The files of a patch's pictures as hexpane-export writes them, and the
// window's Export all too: for picture i, NNN-NAME-old and NNN-NAME-new
// (text/picture_file_names.h) in the patch's own folder, each exactly what
// the window's save icon writes for that pane, complete or not at all.
#pragma once

#include <QString>

#include <array>
#include <cstddef>
#include <string_view>

#include "drawing/image_file.h"
#include "picture/render.h"
#include "tables/colour_table.h"
#include "tables/size_table.h"

namespace hexpane {

// folder/name, or name alone without a folder.
QString filePath(const QString& folder, const QString& name);

// The folder a patch's pictures go to: the output folder, then the patch's
// file name without its extension, made safe as picture names are.
QString patchFolder(const QString& output, const QString& patchPath);

// Creates folder and those above it as needed; empty when it is there,
// otherwise the reason.
QString makeFolder(const QString& folder);

// How many threads write pane files at once: drawing, encoding and writing a
// file is mostly work for a core, and new files are not synced to the disk, so
// there is little waiting to overlap: one writer per core, at least two.
unsigned paneFileWriters();

struct PaneFile {
    QString path;
    SavedDrawing saved;
};

// The two panes of picture `index` (its name as read, its old and new texts)
// drawn at size and written into folder in format: [0] old, [1] new. With
// Keep, a name already taken is left as it is.
std::array<PaneFile, 2> writePaneFiles(const QString& folder, std::size_t index, std::string_view name,
                                       std::array<std::string_view, 2> hex, PictureSize size,
                                       const ColourTable& colours, TransparentColour option, const char* format,
                                       Existing existing);

}  // namespace hexpane
