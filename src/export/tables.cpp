#include "export/tables.h"

#include <QCoreApplication>
#include <QDir>

#include <string>

#include "gui/name_text.h"
#include "gui/regular_file.h"

namespace hexpane {

namespace {

template <typename Table, typename Read>
Table loadTable(QString path, const char* name, Read read, QStringList& problems) {
    if (path.isEmpty()) path = QDir(QCoreApplication::applicationDirPath()).filePath(QString::fromLatin1(name));
    const QString shown = QDir::toNativeSeparators(path);
    std::vector<std::string> found;
    QString error;
    Table table = readFile(path, [&](std::istream& in) { return read(in, &found); }, &error);
    if (!error.isEmpty()) problems << QStringLiteral("%1: %2").arg(shown, error);
    for (const std::string& problem : found) problems << QStringLiteral("%1: %2").arg(shown, nameText(problem));
    return table;
}

}  // namespace

Tables loadTables(const QString& mapPath, const QString& sizePath, QStringList& problems) {
    return {loadTable<ColourTable>(mapPath, "map.txt", readColourTable, problems),
            loadTable<std::vector<SizeRecord>>(sizePath, "size.txt", readSizeTable, problems)};
}

}  // namespace hexpane
