// The colour and size tables as the programs load them from their files:
// what went wrong is added to a list of problems, one line each, naming the
// file, and each table keeps what was read.
#pragma once

#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

#include "tables/colour_table.h"
#include "tables/size_table.h"
#include "tables/table_problem.h"

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

// The table files a program reads: those named on its command line (--map,
// --size), or else map.txt and size.txt in the folder that holds the program.
struct TableFile {
    QString path;
    bool named;        // on the command line
    const char* what;  // "colour table (--map)", "size table (--size)"
};
struct TableFiles {
    TableFile map, size;
};
// Empty paths stand for the tables in programDir; by default the folder that
// holds the program.
TableFiles tableFiles(const QString& mapPath = {}, const QString& sizePath = {}, const QString& programDir = {});

// The tables that stop a run before it starts, each with the reason: a table
// named on the command line that cannot be read at all (missing, unreadable,
// not a regular file), since a mistyped name would draw every picture black
// or leave every one without a size; with defaultsToo, also one beside the
// program.
std::vector<std::pair<TableFile, QString>> tablesThatStop(const TableFiles& files, bool defaultsToo);

// Reads both tables. What went wrong is appended to problems, one line each,
// "FILE: what"; the tables keep what was read.
Tables loadTables(const TableFiles& files, QStringList& problems);

ColourTable loadColourTable(const QString& path, QStringList& problems);
std::vector<SizeRecord> loadSizeTable(const QString& path, QStringList& problems);

// A table problem as the user reads it, without the file's name; a code's
// control characters and the like are shown by their number.
QString tableProblemText(const TableProblem& problem);

}  // namespace hexpane
