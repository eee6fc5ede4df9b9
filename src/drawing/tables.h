// The colour and size tables as the programs load them from their files:
// what went wrong is added to a list of problems, one line each, naming the
// file, and each table keeps what was read.
#pragma once

#include <QString>
#include <QStringList>

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

// The file of that name in the folder that holds the program.
QString besideProgram(const QString& name);

// Reads map.txt and size.txt; an empty path stands for the file beside the
// program. What went wrong is appended to problems, one line each, "FILE: what";
// the tables keep what was read.
Tables loadTables(const QString& mapPath, const QString& sizePath, QStringList& problems);

ColourTable loadColourTable(const QString& path, QStringList& problems);
std::vector<SizeRecord> loadSizeTable(const QString& path, QStringList& problems);

// A table problem as the user reads it, without the file's name; a code's
// control characters and the like are shown by their number.
QString tableProblemText(const TableProblem& problem);

}  // namespace hexpane
