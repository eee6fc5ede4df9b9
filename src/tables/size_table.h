// The size table: the known picture sizes, read from size.txt, and the lookup
// of the sizes that fit a pixel count.
#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

namespace hexpane {

struct SizeRecord {
    std::string width, height, pixelCount;  // fields 0, 1, 2
};

std::vector<SizeRecord> readSizeTable(std::istream& in, std::vector<std::string>* problems = nullptr);
std::vector<SizeRecord> findSizes(const std::vector<SizeRecord>& sizes, std::int32_t pixelCount);

}  // namespace hexpane
