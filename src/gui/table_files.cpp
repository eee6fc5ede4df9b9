#include "gui/table_files.h"

#include <QDir>

#include <string>

#include "gui/name_text.h"
#include "gui/path_bytes.h"
#include "gui/regular_file.h"

namespace hexpane {

namespace {

template <typename Read>
auto loadTable(const QString& path, Read read, QStringList& problems) {
    const QString shown = shownPath(path);
    std::vector<std::string> found;
    QString error;
    auto table = readFile(
        path, [&](std::istream& in) { return read(in, &found); }, &error);
    if (!error.isEmpty()) problems << QStringLiteral("%1: %2").arg(shown, error);
    for (const std::string& problem : found) problems << QStringLiteral("%1: %2").arg(shown, nameText(problem));
    return table;
}

}  // namespace

ColourTable loadColourTable(const QString& path, QStringList& problems) {
    return loadTable(path, readColourTable, problems);
}

std::vector<SizeRecord> loadSizeTable(const QString& path, QStringList& problems) {
    return loadTable(path, readSizeTable, problems);
}

}  // namespace hexpane
