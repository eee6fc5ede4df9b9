// The size table: the known picture sizes, read from size.txt, and the lookup
// of the sizes that fit a pixel count.
#pragma once

#include <cstdint>
#include <istream>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <utility>
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

// Every record whose pixel count reads as `pixelCount`, in table order: what
// SizeIndex(sizes).all(pixelCount) gives, by the same test of each record.
std::vector<SizeRecord> findSizes(const std::vector<SizeRecord>& sizes, std::int32_t pixelCount);

// The records indexed once by pixel count, so that a lookup does not grow with
// the table: for each count, every record whose pixel-count text reads as
// exactly that count, in table order (one read as a fraction, below 0 or
// beyond 32 bits fits no picture). findSizes answers through it. The records
// must outlive the index, unchanged.
class SizeIndex {
public:
    explicit SizeIndex(std::span<const SizeRecord> sizes);
    const SizeRecord* first(std::int32_t pixelCount) const;  // null when no record has the count
    std::vector<SizeRecord> all(std::int32_t pixelCount) const;

private:
    std::span<const std::size_t> records(std::int32_t pixelCount) const;  // indexes into sizes_

    std::span<const SizeRecord> sizes_;
    std::vector<std::size_t> byCount_;  // indexes of the records, by count, in table order within one
    std::unordered_map<std::int32_t, std::pair<std::size_t, std::size_t>> counts_;  // count -> its run in byCount_
};

struct PictureSize {
    std::int32_t width, height;
    friend bool operator==(const PictureSize&, const PictureSize&) = default;
};

// The size a picture is drawn at: that of the first record found, when its
// width and height texts are whole numbers of at least 1; otherwise none, and
// the picture shows "Error" (even when a later record would do).
std::optional<PictureSize> drawingSize(const SizeRecord& first);
std::optional<PictureSize> drawingSize(std::span<const SizeRecord> found);

}  // namespace hexpane
