// Listing the pictures of the patches named on the command line: index, name as the window shows it, pixel count,
// drawing size or "Error", and whether the new bytes differ from the old.
#pragma once

#include <QString>

#include "drawing/drawing.h"
#include "export/command_line.h"
#include "patch/patch_reader.h"
#include "report/report.h"

namespace hexpane {

// Lists every patch of options on standard output, one line per picture:
// "NNN<TAB>name<TAB>pixels<TAB>WxH|Error<TAB>same|changed", each patch's lines
// under "PATH:" when there are several. With options.json, one JSON array of
// objects instead: patch, index, name, pixels, size ("WxH" or "Error"), width
// and height (null without a size), state ("same" or "changed"). Written as
// it is made, so memory does not grow with the listing.
void listPatches(const ExportOptions& options, const Tables& tables, Report& report);

}  // namespace hexpane
