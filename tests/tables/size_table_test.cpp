#include "tables/size_table.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <tuple>
#include <utility>

#include "table_problems.h"
#include "tables/number_reader.h"

namespace hexpane {
namespace {

using Kind = TableProblemKind;

std::vector<SizeRecord> read(const std::string& text) {
    std::istringstream in(text);
    return readSizeTable(in);
}

std::vector<SizeRecord> read(const std::string& text, std::vector<TableProblem>& problems) {
    std::istringstream in(text);
    return readSizeTable(in, problems);
}

std::vector<std::string> widths(const std::vector<SizeRecord>& sizes) {
    std::vector<std::string> texts;
    for (const SizeRecord& size : sizes) texts.push_back(size.width);
    return texts;
}

TEST(ReadSizeTable, OneLineMakesOneRecord) {
    const struct {
        const char* line;
        const char* width;
        const char* height;
        const char* count;
    } rows[] = {
        {"176,220", "176", "220", "38720"},
        {"128,160,anything", "128", "160", "20480"},
        {"1,2,3,4", "1", "2", "2"},
        {"96", "96", "", "0"},
        {"", "", "", "0"},
        {"176, 220", "176", " 220", "38720"},
        {"132,176 ", "132", "176 ", "23232"},
        {"12x16", "12x16", "", "0"},
        {",5", "", "5", "0"},
        {"abc,5", "abc", "5", "0"},
        {"1 0\t1,8 0", "1 0\t1", "8 0", "8080"},
        {"-5,3", "-5", "3", "-15"},
        {"-5,0", "-5", "0", "0"},
        {"&H10,2", "&H10", "2", "32"},
        {"9999999,9999999", "9999999", "9999999", "99999980000001"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        const auto sizes = read(std::string(row.line) + "\r\n");
        ASSERT_EQ(sizes.size(), 1u);
        EXPECT_EQ(sizes[0].width, row.width);
        EXPECT_EQ(sizes[0].height, row.height);
        EXPECT_EQ(sizes[0].pixelCount, row.count);
    }
}

TEST(ReadSizeTable, OtherProductsReadBackExactly) {
    const struct {
        const char* line;
        double product;
    } rows[] = {
        {"0.5,3", 1.5},      {"0.1,0.2", 0.1 * 0.2},
        {"1E10,1E10", 1e20}, {"99999999,99999999", 99999999.0 * 99999999.0},
        {"-1E8,1E8", -1e16},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        const auto sizes = read(row.line);
        ASSERT_EQ(sizes.size(), 1u);
        EXPECT_EQ(readNumber(sizes[0].pixelCount), row.product) << sizes[0].pixelCount;
    }
}

TEST(ReadSizeTable, LinesEndAtCrLfLoneCrOrLoneLf) {
    const struct {
        const char* text;
        std::vector<std::string> lines;
    } rows[] = {
        {"1\r\n2\r\n", {"1", "2"}},
        {"1\r2\r", {"1", "2"}},
        {"1\n2\n", {"1", "2"}},
        {"1\r\n2\r3\n4", {"1", "2", "3", "4"}},
        {"1\r\n2", {"1", "2"}},
        {"1\r\n\r\n", {"1", ""}},
        {"\n\r", {"", ""}},
        {"\r\r\n", {"", ""}},
        {"\r\n", {""}},
        {"", {}},
        {"a\tb\xE9\x01", {"a\tb\xE9\x01"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::PrintToString(std::string(row.text)));
        EXPECT_EQ(widths(read(row.text)), row.lines);
    }
}

TEST(ReadSizeTable, SkipsAndReportsProductsBeyondRange) {
    std::vector<TableProblem> problems;
    const auto sizes = read("1,1\n1E200,1E200\n1E400,0\n2,2\n", problems);
    EXPECT_EQ(widths(sizes), (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(problems, (std::vector<TableProblem>{{.kind = Kind::ProductTooLarge, .line = 2},
                                                   {.kind = Kind::ProductTooLarge, .line = 3}}));
}

TEST(ReadSizeTable, ReportsAReadFailureAndKeepsTheLinesBefore) {
    struct FailingBuffer : std::streambuf {
        std::string text = "1,1\n2,2\n3,";
        FailingBuffer() { setg(text.data(), text.data(), text.data() + text.size()); }
        int_type underflow() override { throw std::ios_base::failure("disk gone"); }
    } buffer;
    std::istream in(&buffer);
    std::vector<TableProblem> problems;
    EXPECT_EQ(widths(readSizeTable(in, problems)), (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(problems, (std::vector<TableProblem>{{.kind = Kind::ReadFailure, .line = 2}}));
}

TEST(ReadSizeTable, ATableThatGivesNothingOrIsNoTextIsReported) {
    using namespace std::string_literals;
    const struct {
        std::string text;
        std::optional<Kind> problem;
    } rows[] = {
        {"", Kind::NoUsableSize},
        {"0,5\r\n-2,-3\r\nabc\r\n1.2,x\r\n", Kind::NoUsableSize},
        {"1\0,\0001\0\r\0\n\0"s, Kind::NulBytes},  // UTF-16
        {"0,5\r\n176,220\r\n", std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::PrintToString(row.text));
        std::vector<TableProblem> problems;
        read(row.text, problems);
        EXPECT_TRUE(reports(problems, row.problem));
    }
}

TEST(FindSizes, ReturnsEveryRecordOfTheCountInTableOrder) {
    const auto sizes = read("176,220\n2,19\n220,176\n\n96\n19,2\n0.5,3\n1E10,1E10\n");
    const struct {
        std::int32_t count;
        std::vector<std::string> widths;
    } rows[] = {
        {38720, {"176", "220"}}, {38, {"2", "19"}}, {0, {"", "96"}}, {1, {}}, {2, {}}, {8080, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.count);
        EXPECT_EQ(widths(findSizes(sizes, row.count)), row.widths);
    }
    EXPECT_EQ(findSizes(sizes, 38720)[1].height, "176");
    EXPECT_TRUE(findSizes({}, 0).empty());
    // -1 is a pixel count beyond 32 bits, which fits nothing, a "-1" record included.
    EXPECT_TRUE(findSizes(read("1,-1\n"), -1).empty());
}

// Pixel-count texts as a size table may hold them: whole, fractions, signs,
// exponents, hexadecimal, at and beyond the 32-bit edge, with stray text.
constexpr const char* kCountTexts[] = {
    "0",   "-0",  "12", "12.0", "12.5",       "-12",        "1.2e1",      "&HC",         "&hc",   " 1 2 ",
    "12x", "x12", "",   "1e-1", "2147483647", "2147483648", "4294967308", "-2147483648", "1e300",
};

// The rule itself, record by record: a record fits when its pixel-count text
// reads as exactly the count. The index (through findSizes) answers the same,
// for generated tables and for every count their texts read as, and around them.
TEST(SizeIndex, AnswersAsTheRecordByRecordRule) {
    std::mt19937 random(3);
    for (int round = 0; round < 200; ++round) {
        std::vector<SizeRecord> sizes(random() % 12);
        std::set<std::int32_t> counts = {
            0, 1, 12, -1, std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::min()};
        for (SizeRecord& size : sizes) {
            const char* count = kCountTexts[random() % std::size(kCountTexts)];
            size = {std::to_string(random() % 4), std::to_string(random() % 4), count};
            const double read = readNumber(count);
            if (read >= std::numeric_limits<std::int32_t>::min() && read <= std::numeric_limits<std::int32_t>::max()) {
                counts.insert(static_cast<std::int32_t>(read));
            }
        }
        const SizeIndex index(sizes);
        for (const std::int32_t count : counts) {
            SCOPED_TRACE(testing::Message() << "round " << round << ", count " << count);
            std::vector<const SizeRecord*> expected;
            for (const SizeRecord& size : sizes) {
                if (count >= 0 && readNumber(size.pixelCount) == count) expected.push_back(&size);
            }
            const auto found = findSizes(sizes, count);
            ASSERT_EQ(found.size(), expected.size());
            for (std::size_t i = 0; i < found.size(); ++i) {
                EXPECT_EQ(std::tie(found[i].width, found[i].height, found[i].pixelCount),
                          std::tie(expected[i]->width, expected[i]->height, expected[i]->pixelCount));
            }
            EXPECT_EQ(index.first(count), expected.empty() ? nullptr : expected.front());
        }
    }
}

TEST(DrawingSize, TheFirstRecordWhenItsSidesAreWholeAndPositive) {
    const struct {
        const char* table;
        std::optional<std::pair<int, int>> size;
    } rows[] = {
        {"176,220\n1,1\n", std::pair{176, 220}},
        {" 3 , 1 ", std::pair{3, 1}},
        {"1.5,2", std::pair{2, 2}},
        {"0,5\n1,1\n", std::nullopt},
        {"abc,5", std::nullopt},
        {"-1,-3", std::nullopt},
        {"", std::nullopt},
        {"99999999999,1", std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.table);
        const auto size = drawingSize(read(row.table));
        ASSERT_EQ(size.has_value(), row.size.has_value());
        if (size) {
            EXPECT_EQ(std::pair(size->width, size->height), *row.size);
        }
    }
}

TEST(ShippedSizeTable, KnownScreensWithNoSharedPixelCount) {
    std::ifstream in(std::filesystem::path(HEXPANE_SOURCE_DIR) / "data/size.txt", std::ios::binary);
    ASSERT_TRUE(in);
    const auto sizes = readSizeTable(in);
    ASSERT_FALSE(sizes.empty());
    std::set<std::string> counts;
    for (const SizeRecord& size : sizes) {
        SCOPED_TRACE(size.width + "," + size.height);
        EXPECT_GT(readWholeNumber(size.width).value_or(0), 0);
        EXPECT_GT(readWholeNumber(size.height).value_or(0), 0);
        EXPECT_TRUE(counts.insert(size.pixelCount).second);
    }
    const auto found = findSizes(sizes, 38720);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].width + "," + found[0].height, "176,220");
    EXPECT_EQ(findSizes(sizes, 8080).size(), 1u);
}

}  // namespace
}  // namespace hexpane
