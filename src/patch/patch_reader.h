// Reading a patch file: every picture data block becomes one PictureRecord,
// in file order, with the bytes it replaces (old) and the bytes it writes (new).
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>
#include <vector>

namespace hexpane {

// One picture of a patch file. Texts are the file's bytes as read: the name is
// the first word of the picture header above the block (or the record's index),
// the hex texts are runs of two-character codes, neither checked nor re-encoded.
struct PictureRecord {
    std::string name, oldHex, newHex;  // fields 0, 1, 2
};

// Reads the stream to its end. Markers, colons and spaces are found at any
// position, in lines of any length; memory follows the file's size.
std::vector<PictureRecord> readPatch(std::istream& in);

// Where a picture's new text stands in the stream it was read from. Each data
// line adds one run of consecutive bytes of the stream to the new text: the
// `length` characters of newHex from `textOffset` on are the stream's bytes
// from `streamOffset` on (counted from where reading began).
struct NewTextRun {
    std::uint64_t streamOffset;
    std::size_t textOffset, length;
};

struct LocatedPatch {
    std::vector<PictureRecord> pictures;
    std::vector<std::vector<NewTextRun>> newTextRuns;  // [i]: the runs of pictures[i].newHex, in order
};

// readPatch, telling also where each picture's new characters stand, for
// tools that change them in place.
LocatedPatch readPatchLocated(std::istream& in);

// Two characters per pixel of the new hex text; a lone last character is not
// counted. A count beyond 32 bits is -1, which no usable size matches.
std::int32_t pixelCount(const PictureRecord& picture);
std::int32_t pixelCount(std::size_t newHexLength);

}  // namespace hexpane
