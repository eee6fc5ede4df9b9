// One run of the importer: the tables and the patch read, each image matched
// to its picture and turned back into codes, and the patch written with only
// the changed pixels' characters replaced, or nothing written at all.
#pragma once

#include <functional>

#include "import/command_line.h"
#include "report/report.h"

namespace hexpane {

// Tells the user on report what changed or why nothing could be.
// beforeWriting, when given, runs between reading the patch and writing the
// new one: tests change the patch there.
void runImport(const ImportOptions& options, Report& report, const std::function<void()>& beforeWriting = {});

}  // namespace hexpane
