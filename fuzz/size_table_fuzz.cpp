// readSizeTable, findSizes and SizeIndex: every record is a line split at its
// commas, its pixel count reads back as width times height, a lookup returns
// exactly the records of that count, in table order, and the index the first.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <istream>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "table_problems.h"
#include "tables/number_reader.h"
#include "tables/size_table.h"

namespace {

using Kind = hexpane::TableProblemKind;

bool same(const hexpane::SizeRecord& a, const hexpane::SizeRecord& b) {
    return a.width == b.width && a.height == b.height && a.pixelCount == b.pixelCount;
}

// `counts` holds readNumber of each record's pixel count, read once for all
// lookups: the records whose count reads as exactly `count` are what findSizes
// and the index give, the index's first as it stands in sizes.
void checkLookup(const std::vector<hexpane::SizeRecord>& sizes, const std::vector<double>& counts,
                 const hexpane::SizeIndex& index, std::int32_t count) {
    const auto found = hexpane::findSizes(sizes, count);
    const auto all = index.all(count);
    FUZZ_CHECK(all.size() == found.size());
    for (std::size_t k = 0; k < all.size(); ++k) FUZZ_CHECK(same(all[k], found[k]));
    if (count < 0) {  // a count beyond 32 bits fits nothing
        FUZZ_CHECK(found.empty() && index.first(count) == nullptr);
        return;
    }
    std::size_t next = 0;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        if (counts[i] != count) continue;
        FUZZ_CHECK(next < found.size() && same(found[next], sizes[i]));
        if (next == 0) FUZZ_CHECK(index.first(count) == &sizes[i]);
        ++next;
    }
    FUZZ_CHECK(next == found.size());
    if (found.empty()) FUZZ_CHECK(index.first(count) == nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    fuzz::View view(text);
    std::istream in(&view);
    std::vector<hexpane::TableProblem> problems;
    const auto sizes = hexpane::readSizeTable(in, problems);

    const auto lines = fuzz::tableLines(text);
    FUZZ_CHECK(sizes.size() <= lines.size());

    // Field 0 stands before the first comma, field 1 between the first and the
    // second; a line whose product is no finite number is skipped.
    std::size_t next = 0;
    std::size_t number = 0;
    bool usable = false;
    std::vector<hexpane::TableProblem> skipped;  // the skipped lines, as found
    for (const std::string_view line : lines) {
        ++number;
        const std::size_t comma = line.find(',');
        const std::string_view width = line.substr(0, comma);
        const std::string_view height = comma == std::string_view::npos
                                            ? std::string_view()
                                            : line.substr(comma + 1).substr(0, line.substr(comma + 1).find(','));
        const double product = hexpane::readNumber(width) * hexpane::readNumber(height);
        if (!std::isfinite(product)) {
            skipped.push_back({.kind = Kind::ProductTooLarge, .line = number});
            continue;
        }
        FUZZ_CHECK(next < sizes.size());
        const hexpane::SizeRecord& record = sizes[next++];
        FUZZ_CHECK(record.width == width && record.height == height);
        const auto w = hexpane::readWholeNumber(width), h = hexpane::readWholeNumber(height);
        usable = usable || (w && h && *w >= 1 && *h >= 1);
        FUZZ_CHECK(hexpane::readNumber(record.pixelCount) == product);
        // A whole product below 10^15 is written as plain digits.
        if (product == std::trunc(product) && std::fabs(product) < 1e15) {
            const std::string digits = std::to_string(static_cast<long long>(product));
            FUZZ_CHECK(record.pixelCount == digits);
        }
    }
    FUZZ_CHECK(next == sizes.size());
    FUZZ_CHECK(problems == fuzz::reported(skipped, text, usable ? std::nullopt : std::optional(Kind::NoUsableSize)));

    // Every lookup reads all the records' counts, so a few counts are looked up:
    // those of the first and the last record, and one the input picks of none,
    // an everyday one, the largest and one beyond 32 bits.
    std::vector<double> counts;
    counts.reserve(sizes.size());
    for (const hexpane::SizeRecord& size : sizes) counts.push_back(hexpane::readNumber(size.pixelCount));
    const hexpane::SizeIndex index(sizes);
    constexpr std::int32_t kCounts[] = {0, 38720, std::numeric_limits<std::int32_t>::max(), -1};
    checkLookup(sizes, counts, index, kCounts[size % 4]);
    if (!sizes.empty()) {
        for (const hexpane::SizeRecord* size : {&sizes.front(), &sizes.back()}) {
            const auto count = hexpane::readWholeNumber(size->pixelCount);
            if (count) checkLookup(sizes, counts, index, *count);
        }
    }

    // A read that fails part way keeps the records of the complete lines before
    // the failure and says where it stopped.
    if (size > 0 && data[size - 1] % 4 == 1) {
        const std::string_view prefix = text.substr(0, size * data[0] / 256);
        fuzz::View failing(prefix, true);
        std::istream failingIn(&failing);
        std::vector<hexpane::TableProblem> failed;
        const auto partial = hexpane::readSizeTable(failingIn, failed);
        const auto complete = fuzz::tableLines(fuzz::completeLines(prefix));
        FUZZ_CHECK(!failed.empty() &&
                   (failed.back() == hexpane::TableProblem{.kind = Kind::ReadFailure, .line = complete.size()}));
        FUZZ_CHECK(partial.size() <= complete.size() && partial.size() <= sizes.size());
        for (std::size_t i = 0; i < partial.size(); ++i) FUZZ_CHECK(same(partial[i], sizes[i]));
        fuzz::View whole(fuzz::completeLines(prefix));
        std::istream wholeIn(&whole);
        FUZZ_CHECK(hexpane::readSizeTable(wholeIn).size() == partial.size());
    }
    return 0;
}
