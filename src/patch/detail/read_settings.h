// The reader's entry points with their settings, for the tests and the fuzz
// targets, which take the stream in chunks of every size.
#pragma once

#include <cstddef>
#include <istream>
#include <span>
#include <vector>

#include "patch/patch_reader.h"
#include "patch/pictures.h"

namespace hexpane {

// How the reader takes its input and its memory. What it reads never depends on
// it; the defaults suit files of any size, and tests vary them.
struct ReadSettings {
    std::size_t chunkSize = std::size_t{1} << 20;  // the most bytes asked of the stream at once
    bool largePages = true;                        // ask the system for large pages for the memory filled
};
std::vector<PictureRecord> readPatchWith(std::istream& in, const ReadSettings& settings);
LocatedPatch readPatchLocatedWith(std::istream& in, const ReadSettings& settings);
Pictures readPicturesWith(std::istream& in, const ReadSettings& settings);
std::vector<std::vector<NewTextRun>> locateNewTextWith(std::istream& in, std::span<const std::size_t> wanted,
                                                       const ReadSettings& settings);

}  // namespace hexpane
