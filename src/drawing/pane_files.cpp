#include "drawing/pane_files.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "drawing/drawing.h"
#include "drawing/on_threads.h"
#include "files/path_bytes.h"
#include "text/picture_file_names.h"

namespace hexpane {

QString filePath(const QString& folder, const QString& name) {
    if (folder.isEmpty()) return name;
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

QString patchFolder(const QString& output, const QString& patchPath) {
    return filePath(output, safeName(pathBytes(QFileInfo(patchPath).completeBaseName()).toStdString()));
}

unsigned paneFileWriters() { return std::max(2u, coreCount()); }

QString makeFolder(const QString& folder) {
    std::error_code error;
    std::filesystem::create_directories(pathBytes(folder).toStdString(), error);
    return error ? QString::fromStdString(error.message()) : QString();
}

std::array<PaneFile, 2> writePaneFiles(const QString& folder, std::size_t index, std::string_view name,
                                       std::array<std::string_view, 2> hex, PictureSize size,
                                       const ColourTable& colours, TransparentColour option, const char* format,
                                       Existing existing) {
    const QString what = QCoreApplication::translate("PaneFiles", "a %1x%2 picture").arg(size.width).arg(size.height);
    std::array<PaneFile, 2> files;
    for (std::size_t pane = 0; pane < 2; ++pane) {
        files[pane].path = filePath(folder, pictureFileName(index, name, pane == 0 ? "old" : "new", format));
        files[pane].saved = saveDrawing(files[pane].path, format, existing, what,
                                        [&] { return drawPane(hex[pane], size, colours, option); });
    }
    return files;
}

}  // namespace hexpane
