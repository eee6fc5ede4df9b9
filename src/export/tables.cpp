#include "export/tables.h"

#include <QCoreApplication>
#include <QDir>

#include "gui/table_files.h"

namespace hexpane {

namespace {

// An empty path stands for the table of that name beside the program.
QString tablePath(const QString& path, const char* name) {
    return path.isEmpty() ? QDir(QCoreApplication::applicationDirPath()).filePath(QString::fromLatin1(name)) : path;
}

}  // namespace

Tables loadTables(const QString& mapPath, const QString& sizePath, QStringList& problems) {
    return {loadColourTable(tablePath(mapPath, "map.txt"), problems),
            loadSizeTable(tablePath(sizePath, "size.txt"), problems)};
}

}  // namespace hexpane
