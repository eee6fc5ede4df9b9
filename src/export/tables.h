// The colour and size tables the exporter draws with: by default map.txt and
// size.txt beside the program, as the window reads them.
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

#include "tables/colour_table.h"
#include "tables/size_table.h"

namespace hexpane {

struct Tables {
    ColourTable colours;
    std::vector<SizeRecord> sizes;
};

// An empty path stands for the table of that name beside the program. What
// went wrong is appended to problems, one line each, "FILE: what"; the tables
// keep what was read, as in the window.
Tables loadTables(const QString& mapPath, const QString& sizePath, QStringList& problems);

}  // namespace hexpane
