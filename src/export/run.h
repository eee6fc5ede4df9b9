// One run of the exporter: the tables, then each patch named, read and turned
// into what the command line asks for: picture files, a listing or a sheet.
#pragma once

#include "export/options.h"
#include "gui/report.h"

namespace hexpane {

// Tells the user on standard error what went wrong, and comes to the exit status.
ExitStatus run(const Options& options);

}  // namespace hexpane
