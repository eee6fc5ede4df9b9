// Reading the colour and size tables from their files, as both programs do:
// what went wrong is added to a list of problems, one line each, naming the
// file, and the table keeps what was read.
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

#include "tables/colour_table.h"
#include "tables/size_table.h"

namespace hexpane {

ColourTable loadColourTable(const QString& path, QStringList& problems);
std::vector<SizeRecord> loadSizeTable(const QString& path, QStringList& problems);

}  // namespace hexpane
