// Reading the patches named on the command line: the whole of each, or only
// as much of one as its first pictures need.
#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

#include "patch/pictures.h"
#include "report/report.h"

namespace hexpane {

// The pictures of the patch at path; none, with a line on report, when it
// cannot be read.
std::optional<Pictures> readPatchFile(const QString& path, Report& report);

// The first pictures of the patch at path, without reading more of it than
// needed: a growing start of the file is read until `enough` is content with
// the pictures found in it, the whole file is read, or `limit` bytes are.
// Only pictures that end inside what was read count, so none is cut. Where
// memory runs out first, the pictures of the largest start that could be read
// are returned.
struct FirstPictures {
    Pictures pictures;
    std::size_t count = 0;  // the pictures of `pictures` that count: the first ones
};
using Enough = std::function<bool(const FirstPictures&)>;
std::optional<FirstPictures> readFirstPictures(const QString& path, std::uint64_t limit, const Enough& enough,
                                               Report& report);

}  // namespace hexpane
