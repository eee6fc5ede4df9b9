#include "tables/colour_table.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <sstream>

#include "table_problems.h"

namespace hexpane {
namespace {

using Kind = TableProblemKind;

ColourTable read(const std::string& text) {
    std::istringstream in(text);
    return readColourTable(in);
}

ColourTable read(const std::string& text, std::vector<TableProblem>& problems) {
    std::istringstream in(text);
    return readColourTable(in, problems);
}

TEST(ReadColourTable, OneLineAddsOneColourUnderItsCode) {
    const struct {
        const char* line;
        const char* code;
        ColourValue colour;
    } rows[] = {
        {"00 000000", "00", 0x000000},
        {"FF FFFFFF", "FF", 0xFFFFFF},
        {"C0 D0EBEB", "C0", 0xD0EBEB},  // red 235, green 235, blue 208
        {"1A d0ebeb", "1A", 0xD0EBEB},
        {"7F ", "7F", 0x000000},
        {"c0 0000FF", "C0", 0x0000FF},  // pure red, found under either case
        {"c0 0000FF", "c0", 0x0000FF},
        {"", "", 0x000000},
        {"AB 123456", "AB", 0x123456},
        {"ABx123456", "AB", 0x123456},
        {"AB 123456789", "AB", 0x123456},
        {"AB 12345", "AB", 0x123405},
        {"AB 1234", "AB", 0x123400},
        {"AB 1G3456", "AB", 0x013456},
        {"AB  F0000", "AB", 0x0F0000},
        {"A", "A", 0x000000},
        {"\xE9\xFF 010203", "\xE9\xFF", 0x010203},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.line);
        const ColourTable table = read(std::string(row.line) + "\r\n");
        EXPECT_EQ(table.size(), 1u);
        EXPECT_EQ(table.lookup(row.code), row.colour);
    }
}

TEST(ReadColourTable, RepeatedCodeKeepsTheFirstAndIsReported) {
    std::vector<TableProblem> problems;
    const ColourTable table = read("c0 0000FF\n00 000000\r\nC0 FFFFFF\r\r\n\n", problems);
    EXPECT_EQ(table.size(), 3u);  // c0, 00 and the empty line's code
    EXPECT_EQ(table.lookup("C0"), 0x0000FFu);
    EXPECT_EQ(problems, (std::vector<TableProblem>{
                            {.kind = Kind::RepeatedCode, .line = 3, .firstLine = 1, .code = "C0"},
                            {.kind = Kind::RepeatedCode, .line = 5, .firstLine = 4, .code = ""},
                        }));
}

TEST(ReadColourTable, ReportsAtMostFiveRepeatsThenACount) {
    std::vector<TableProblem> problems;
    const ColourTable table = read("00 000001\n00\n00\n00\n00\n00\n00\n00\n", problems);
    EXPECT_EQ(table.lookup("00"), 0x000001u);
    ASSERT_EQ(problems.size(), 6u);
    EXPECT_EQ(problems[4].line, 6u);
    EXPECT_EQ(problems[5], (TableProblem{.kind = Kind::NotShown, .count = 2, .hiddenKind = Kind::RepeatedCode}));
}

TEST(ReadColourTable, ATableThatGivesNothingOrIsNoTextIsReported) {
    using namespace std::string_literals;
    const struct {
        std::string text;
        std::optional<Kind> problem;
    } rows[] = {
        {"", Kind::NoPixelColour},       {"\r\n", Kind::NoPixelColour},
        {"7\r\n", Kind::NoPixelColour},  {"0\0000\0 \0F\0F\0F\0\r\0\n\0"s, Kind::NulBytes},  // UTF-16
        {"00 000000\r\n", std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::PrintToString(row.text));
        std::vector<TableProblem> problems;
        read(row.text, problems);
        EXPECT_TRUE(reports(problems, row.problem));
    }
}

// A small alphabet, so that codes repeat and meet their other case: letters
// and their neighbours on either side, digits, bytes that are letters in
// 8-bit code pages (never folded), control bytes.
constexpr std::string_view kCodeBytes = "aAzZ09@[`{\0\x1b\xC9\xE9";

void addRandomCodes(ColourTable& table, std::mt19937& random) {
    for (int n = 0; n < 40; ++n) {
        std::string code(1 + random() % 2, ' ');
        for (char& c : code) c = kCodeBytes[random() % kCodeBytes.size()];
        table.add(code, static_cast<ColourValue>(random()));
    }
}

void expectDrawnAsLookedUp(const ColourTable& table) {
    const ColourTable::CodeColours& colours = table.codeColours();
    for (unsigned pair = 0; pair < colours.size(); ++pair) {
        const char code[2] = {static_cast<char>(pair >> 8), static_cast<char>(pair & 255)};
        ASSERT_EQ(colours[pair], table.lookup(std::string_view(code, 2)).value_or(0)) << "code " << pair;
    }
}

// The table a picture is drawn through gives every two-character code its
// lookup colour, black when there is none: as made, after more codes are
// added, and in a copy made before them.
TEST(CodeColours, EveryTwoCharacterCodeIsDrawnAsLookedUp) {
    std::mt19937 random(1);
    for (int round = 0; round < 8; ++round) {
        ColourTable table;
        addRandomCodes(table, random);
        expectDrawnAsLookedUp(table);
        const ColourTable copy = table;
        addRandomCodes(table, random);
        expectDrawnAsLookedUp(table);
        expectDrawnAsLookedUp(copy);
    }
    expectDrawnAsLookedUp(ColourTable());
}

TEST(ShippedColourTable, HoldsEvery3_3_2Colour) {
    const auto path = std::filesystem::path(HEXPANE_SOURCE_DIR) / "data/map.txt";
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in) << path;
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    std::size_t lines = 0;
    for (std::size_t i = bytes.find('\n'); i != std::string::npos; i = bytes.find('\n', i + 1), ++lines) {
        EXPECT_TRUE(i > 0 && bytes[i - 1] == '\r') << "line " << lines + 1 << " does not end in CR LF";
    }
    EXPECT_EQ(lines, 256u);

    std::vector<TableProblem> problems;
    const ColourTable table = read(bytes, problems);
    EXPECT_TRUE(problems.empty());
    EXPECT_EQ(table.size(), 256u);
    const struct {
        const char* code;
        ColourValue colour;
    } rows[] = {
        {"00", 0x000000}, {"FF", 0xFFFFFF}, {"E0", 0x0000FF}, {"1C", 0x00FF00}, {"03", 0xFF0000},
        {"25", 0x552424}, {"92", 0xAA9292}, {"C0", 0x0000DB}, {"6e", 0xAA6D6D},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.code);
        EXPECT_EQ(table.lookup(row.code), row.colour);
    }
}

}  // namespace
}  // namespace hexpane
