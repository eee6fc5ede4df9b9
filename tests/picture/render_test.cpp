#include "picture/render.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

using hexpane::ColourTable;
using hexpane::ColourValue;
using hexpane::renderPane;
using hexpane::TransparentColour;

constexpr ColourValue kBg = hexpane::kWindowBackground;
constexpr ColourValue kA0 = 0x0000A0, kB1 = 0x00B100, kC2 = 0xC20000, kD3 = 0x0D0D0D;
constexpr ColourValue kSeven = 0x070707, kHigh = 0x123456, kC0 = 0xC0C0C0;

ColourTable testTable(bool withC0) {
    ColourTable table;
    table.add("A0", kA0);
    table.add("B1", kB1);
    table.add("C2", kC2);
    table.add("D3", kD3);
    table.add("7", kSeven);
    table.add(
        "\xE9"
        "A",
        kHigh);
    if (withC0) table.add("C0", kC0);
    return table;
}

struct MappingRow {
    const char* name;
    std::string hex;
    std::int32_t width, height;
    std::vector<ColourValue> expected;
};

TEST(RenderPane, MapsCodesToPixelsInRowMajorOrder) {
    const MappingRow rows[] = {
        {"2x2: (1,0) is B1, (0,1) is C2", "A0B1C2D3", 2, 2, {kA0, kB1, kC2, kD3}},
        {"one column", "A0B1C2", 1, 3, {kA0, kB1, kC2}},
        {"short text leaves background", "A0B1", 2, 2, {kA0, kB1, kBg, kBg}},
        {"long text: surplus unused", "A0B1C2D3A0", 3, 1, {kA0, kB1, kC2}},
        {"empty text", "", 2, 1, {kBg, kBg}},
        {"odd length: last code one char, missing", "A0B", 2, 2, {kA0, 0, kBg, kBg}},
        {"odd length: last code one char, present", "A07", 3, 1, {kA0, kSeven, kBg}},
        {"odd length beyond the picture", "A0B17", 2, 1, {kA0, kB1}},
        {"missing code is black", "A0FFB1", 3, 1, {kA0, 0, kB1}},
        {"lookup ignores case", "a0A0b1", 3, 1, {kA0, kA0, kB1}},
        {"non-hex characters", "ZZ-!A0", 3, 1, {0, 0, kA0}},
        {"bytes from 0x80 up",
         "\xE9"
         "A\xE9"
         "a\xE9"
         "B\xFF\xFF",
         4,
         1,
         {kHigh, kHigh, 0, 0}},
    };
    const ColourTable colours = testTable(false);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(renderPane(row.hex, row.width, row.height, colours, TransparentColour::Standard), row.expected);
    }
}

struct TransparentRow {
    std::string hex;
    TransparentColour option;
    bool withC0;
    std::vector<ColourValue> expected;
};

TEST(RenderPane, OptionsRedirectExactlyC0) {
    constexpr ColourValue kFace = 0x8000000F, kPhone = 208u << 16 | 235u << 8 | 235u;
    const TransparentRow rows[] = {
        {"C0", TransparentColour::Form, true, {kFace}},
        {"C0", TransparentColour::Form, false, {kFace}},
        {"C0", TransparentColour::Phone, true, {kPhone}},
        {"C0", TransparentColour::Standard, true, {kC0}},
        {"C0", TransparentColour::Standard, false, {0}},
        {"c0", TransparentColour::Form, true, {kC0}},
        {"c0", TransparentColour::Phone, true, {kC0}},
        {"c0", TransparentColour::Form, false, {0}},
        {"C0c0c0C0", TransparentColour::Phone, true, {kPhone, kC0, kC0, kPhone}},
        {"C", TransparentColour::Form, true, {0}},
        {"0C0", TransparentColour::Form, true, {0, 0}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.hex + " option " + std::to_string(static_cast<int>(row.option)) +
                     (row.withC0 ? " with C0" : " without C0"));
        const auto width = static_cast<std::int32_t>(row.expected.size());
        EXPECT_EQ(renderPane(row.hex, width, 1, testTable(row.withC0), row.option), row.expected);
    }
}

TEST(RenderPane, SizeWithoutPixelsOrBeyond32BitsGivesNothing) {
    const std::pair<std::int32_t, std::int32_t> sizes[] = {
        {0, 5}, {5, 0}, {-1, 3}, {3, -1}, {INT_MIN, INT_MIN}, {INT_MAX, 2}, {65536, 32768},
    };
    const ColourTable colours = testTable(true);
    for (const auto& [width, height] : sizes) {
        SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
        EXPECT_TRUE(renderPane("A0B1", width, height, colours, TransparentColour::Form).empty());
    }
}

}  // namespace
