// Reading the colour and size tables from their files, as both programs do:
// what went wrong is added to a list of problems, one line each, naming the
// file, and the table keeps what was read.
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

#include "tables/colour_table.h"
#include "tables/size_table.h"
#include "tables/table_problem.h"

namespace hexpane {

ColourTable loadColourTable(const QString& path, QStringList& problems);
std::vector<SizeRecord> loadSizeTable(const QString& path, QStringList& problems);

// A table problem as the user reads it, without the file's name; a code's
// control characters and the like are shown by their number.
QString tableProblemText(const TableProblem& problem);

}  // namespace hexpane
