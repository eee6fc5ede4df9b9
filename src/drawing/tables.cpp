#include "drawing/tables.h"

#include <QCoreApplication>
#include <QDir>

#include <utility>

#include "files/path_bytes.h"
#include "files/regular_file.h"
#include "text/name_text.h"

namespace hexpane {

namespace {

QString lineText(std::size_t line) { return QStringLiteral("line %1: ").arg(line); }

// "and 3 more repeated codes", "and 1 more skipped line".
QString notShownText(const TableProblem& problem) {
    QString what = problem.hiddenKind == TableProblemKind::RepeatedCode ? QStringLiteral("repeated code")
                                                                        : QStringLiteral("skipped line");
    if (problem.count > 1) what += u's';
    return QStringLiteral("and %1 more %2").arg(problem.count).arg(what);
}

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

QString tableProblemText(const TableProblem& problem) {
    switch (problem.kind) {
    case TableProblemKind::RepeatedCode:
        return lineText(problem.line) +
               QStringLiteral("the code \"%1\" was already given on line %2; the first one is kept")
                   .arg(displayName(problem.code))
                   .arg(problem.firstLine);
    case TableProblemKind::ProductTooLarge:
        return lineText(problem.line) +
               QStringLiteral("the width times the height is too large a number; the line is skipped");
    case TableProblemKind::NotShown:
        return notShownText(problem);
    case TableProblemKind::NulBytes:
        return QStringLiteral(
            "the file holds NUL bytes, so it is no plain 8-bit text file "
            "(saved as UTF-16, or not a text file at all?)");
    case TableProblemKind::NoPixelColour:
        return QStringLiteral("it gives no colour to any pixel code, so every pixel is drawn black");
    case TableProblemKind::NoUsableSize:
        return QStringLiteral(
            "it gives no usable size (a whole width and height of at least 1), so every picture shows Error");
    case TableProblemKind::ReadFailure:
        return problem.line == 0 ? QStringLiteral("the file could not be read")
                                 : QStringLiteral("the file could not be read past line %1").arg(problem.line);
    }
    return QStringLiteral("the file has a problem");
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
