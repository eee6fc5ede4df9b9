#include "drawing/tables.h"

#include <QCoreApplication>
#include <QDir>

#include <utility>

#include "files/path_bytes.h"
#include "files/regular_file.h"
#include "text/name_text.h"

namespace hexpane {

namespace {

template <typename Read>
auto loadTable(const QString& path, Read read, QStringList& problems) {
    const QString shown = shownPath(path);
    std::vector<TableProblem> found;
    QString error;
    auto table = readFile(
        path, [&](std::istream& in) { return read(in, found); }, &error);
    if (!error.isEmpty()) problems << QStringLiteral("%1: %2").arg(shown, error);
    for (const TableProblem& problem : found)
        problems << QStringLiteral("%1: %2").arg(shown, tableProblemText(problem));
    return table;
}

}  // namespace

Tables::Tables(ColourTable colourTable, std::vector<SizeRecord> sizeRecords)
    : colours(std::move(colourTable)), sizes(std::move(sizeRecords)) {}

TableFiles tableFiles(const QString& mapPath, const QString& sizePath, const QString& programDir) {
    const QDir folder(programDir.isEmpty() ? QCoreApplication::applicationDirPath() : programDir);
    const auto file = [&](const QString& path, const char* name, const char* what) {
        return path.isEmpty() ? TableFile{folder.filePath(QLatin1String(name)), false, what}
                              : TableFile{path, true, what};
    };
    return {file(mapPath, "map.txt", "colour table (--map)"), file(sizePath, "size.txt", "size table (--size)")};
}

std::vector<std::pair<TableFile, QString>> tablesThatStop(const TableFiles& files, bool defaultsToo) {
    std::vector<std::pair<TableFile, QString>> stopping;
    for (const TableFile& file : {files.map, files.size}) {
        if (!file.named && !defaultsToo) continue;
        if (const RegularFile table(file.path); !table.error().isEmpty()) stopping.emplace_back(file, table.error());
    }
    return stopping;
}

Tables loadTables(const TableFiles& files, QStringList& problems) {
    ColourTable colours = loadColourTable(files.map.path, problems);
    return {std::move(colours), loadSizeTable(files.size.path, problems)};
}

// In the user's language where a translation is installed (the window), else
// exactly as describe() says it.
QString tableProblemText(const TableProblem& problem) {
    const TableProblemWording said =
        wording(problem, [](std::string_view code) { return displayName(code).toStdString(); });
    const QString text = QCoreApplication::translate(kTableProblemContext, said.text);
    return QString::fromStdString(fillWording(text.toStdString(), said.arguments));
}

ColourTable loadColourTable(const QString& path, QStringList& problems) {
    return loadTable(
        path, [](std::istream& in, std::vector<TableProblem>& found) { return readColourTable(in, found); }, problems);
}

std::vector<SizeRecord> loadSizeTable(const QString& path, QStringList& problems) {
    return loadTable(
        path, [](std::istream& in, std::vector<TableProblem>& found) { return readSizeTable(in, found); }, problems);
}

}  // namespace hexpane
