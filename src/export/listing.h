// Reading the patches named on the command line, and listing their pictures:
// index, name as the window shows it, pixel count, drawing size or "Error",
// and whether the new bytes differ from the old.
#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "drawing/drawing.h"
#include "export/command_line.h"
#include "patch/patch_reader.h"
#include "report/report.h"

namespace hexpane {

// The pictures of the patch at path; none, with a line on report, when it
// cannot be read.
std::optional<std::vector<PictureRecord>> readPatchFile(const QString& path, Report& report);

// The first pictures of the patch at path, without reading more of it than
// needed: a growing start of the file is read until `enough` is content with
// the pictures found in it, the whole file is read, or `limit` bytes are.
// Only pictures that end inside what was read are returned, so none is cut.
using Enough = std::function<bool(const std::vector<PictureRecord>&)>;
std::optional<std::vector<PictureRecord>> readFirstPictures(const QString& path, std::uint64_t limit,
                                                            const Enough& enough, Report& report);

// Lists every patch of options on standard output, one line per picture:
// "NNN<TAB>name<TAB>pixels<TAB>WxH|Error<TAB>same|changed", each patch's lines
// under "PATH:" when there are several. With options.json, one JSON array of
// objects instead: patch, index, name, pixels, size ("WxH" or "Error"), width
// and height (null without a size), state ("same" or "changed"). Written as
// it is made, so memory does not grow with the listing.
void listPatches(const ExportOptions& options, const Tables& tables, Report& report);

}  // namespace hexpane
