// One run of the importer: the tables and the patch read, each image matched
// to its picture and turned back into codes, and the patch written with only
// the changed pixels' characters replaced, or nothing written at all.
#pragma once

#include "import/command_line.h"
#include "report/report.h"

namespace hexpane {

// Tells the user on report what changed or why nothing could be.
void runImport(const ImportOptions& options, Report& report);

}  // namespace hexpane
