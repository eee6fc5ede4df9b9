#include "tables/size_table.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>

#include "tables/detail/table_lines.h"
#include "tables/number_reader.h"

namespace hexpane {

namespace {

// A whole product below 10^15 is written as plain digits (never "-0"); any
// other as the shortest text that reads back to the same double, which may
// have a full stop or an exponent ("1.5", "1e+20"), both of which readNumber
// reads.
std::string pixelCountText(double product) {
    std::array<char, 32> text{};
    std::to_chars_result result{};
    if (product == std::trunc(product) && std::fabs(product) < 1e15) {
        result = std::to_chars(text.data(), text.data() + text.size(), static_cast<long long>(product));
    } else {
        result = std::to_chars(text.data(), text.data() + text.size(), product);
    }
    return std::string(text.data(), result.ptr);
}

// Fields 0 and 1 are the texts before the first comma and between the first
// and the second; whatever follows the second comma is dropped. A line whose
// product is not a finite number describes no picture and is skipped.
std::vector<SizeRecord> readSizes(std::istream& in, std::vector<TableProblem>* problems) {
    std::vector<SizeRecord> sizes;
    TableProblems found(problems, TableProblemKind::ProductTooLarge);
    std::string line;
    std::size_t number = 0;
    bool usable = false;
    while (readTableLine(in, line)) {
        ++number;
        found.checkText(line);
        const std::string_view text = line;
        const std::size_t firstComma = text.find(',');
        const std::string_view width = text.substr(0, firstComma);
        std::string_view height;
        if (firstComma != std::string_view::npos) {
            height = text.substr(firstComma + 1);
            height = height.substr(0, height.find(','));
        }
        const double product = readNumber(width) * readNumber(height);
        if (!std::isfinite(product)) {
            found.add({.kind = TableProblemKind::ProductTooLarge, .line = number});
            continue;
        }
        sizes.push_back({std::string(width), std::string(height), pixelCountText(product)});
        usable = usable || drawingSize(sizes.back());
    }
    found.finish(in, number, usable ? std::nullopt : std::optional(TableProblemKind::NoUsableSize));
    return sizes;
}

// The count a pixel-count text stands for, when it is one a picture can have.
std::optional<std::int32_t> pictureCount(const std::string& text) {
    const double count = readNumber(text);
    if (!(count >= 0 && count <= std::numeric_limits<std::int32_t>::max() && count == std::trunc(count))) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(count);
}

}  // namespace

std::vector<SizeRecord> readSizeTable(std::istream& in, std::vector<TableProblem>& problems) {
    return readSizes(in, &problems);
}

std::vector<SizeRecord> readSizeTable(std::istream& in, std::vector<std::string>* problems) {
    return readDescribed([&](std::vector<TableProblem>* found) { return readSizes(in, found); }, problems);
}

// One pass with the index's own test of a record, without building an index
// for a single lookup.
std::vector<SizeRecord> findSizes(const std::vector<SizeRecord>& sizes, std::int32_t pixelCount) {
    std::vector<SizeRecord> found;
    for (const SizeRecord& size : sizes) {
        if (pictureCount(size.pixelCount) == pixelCount) found.push_back(size);
    }
    return found;
}

SizeIndex::SizeIndex(std::span<const SizeRecord> sizes) : sizes_(sizes) {
    std::vector<std::pair<std::int32_t, std::size_t>> counted;
    counted.reserve(sizes.size());
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        if (const auto count = pictureCount(sizes[i].pixelCount)) counted.emplace_back(*count, i);
    }
    std::sort(counted.begin(), counted.end());  // by count, then by place in the table
    byCount_.reserve(counted.size());
    for (const auto& [count, i] : counted) {
        ++counts_.try_emplace(count, byCount_.size(), 0).first->second.second;
        byCount_.push_back(i);
    }
}

// A count below 0 stands for one beyond 32 bits: it fits no picture size.
std::span<const std::size_t> SizeIndex::records(std::int32_t pixelCount) const {
    const auto found = counts_.find(pixelCount);
    if (found == counts_.end()) return {};
    return std::span(byCount_).subspan(found->second.first, found->second.second);
}

const SizeRecord* SizeIndex::first(std::int32_t pixelCount) const {
    const auto found = records(pixelCount);
    return found.empty() ? nullptr : &sizes_[found.front()];
}

std::vector<SizeRecord> SizeIndex::all(std::int32_t pixelCount) const {
    std::vector<SizeRecord> found;
    for (const std::size_t i : records(pixelCount)) found.push_back(sizes_[i]);
    return found;
}

std::optional<PictureSize> drawingSize(const SizeRecord& first) {
    const auto width = readWholeNumber(first.width);
    const auto height = readWholeNumber(first.height);
    if (!width || !height || *width < 1 || *height < 1) return std::nullopt;
    return PictureSize{*width, *height};
}

std::optional<PictureSize> drawingSize(std::span<const SizeRecord> found) {
    if (found.empty()) return std::nullopt;
    return drawingSize(found.front());
}

}  // namespace hexpane
