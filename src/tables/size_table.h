// The size table: the known picture sizes, read from size.txt, and the lookup
// of the sizes that fit a pixel count.
#pragma once

#include <cstdint>
#include <istream>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "tables/table_problem.h"

namespace hexpane {

struct SizeRecord {
    std::string width, height, pixelCount;  // fields 0, 1, 2
};

// Problems are appended to `problems`, as data.
std::vector<SizeRecord> readSizeTable(std::istream& in, std::vector<TableProblem>& problems);
// The same, with each problem described in a line of text.
std::vector<SizeRecord> readSizeTable(std::istream& in, std::vector<std::string>* problems = nullptr);

std::vector<SizeRecord> findSizes(const std::vector<SizeRecord>& sizes, std::int32_t pixelCount);

struct PictureSize {
    std::int32_t width, height;
};

// The size a picture is drawn at: that of the first record found, when its
// width and height texts are whole numbers of at least 1; otherwise none, and
// the picture shows "Error".
std::optional<PictureSize> drawingSize(std::span<const SizeRecord> found);

}  // namespace hexpane
