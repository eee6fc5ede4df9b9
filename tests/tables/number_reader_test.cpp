#include "tables/number_reader.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>

namespace hexpane {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(ReadNumber, ReadsTheLeadingNumberAndIgnoresBlanks) {
    const struct {
        const char* text;
        double value;
    } rows[] = {
        {"176", 176},      {"-12", -12},
        {"+7", 7},         {"0.25", 0.25},
        {".5", 0.5},       {"5.", 5},
        {"1 2 3", 123},    {"1\t2", 12},
        {" \n 42 \t", 42}, {"- 5", -5},
        {"1 . 5 E 1", 15}, {"1.5e2", 150},
        {"1E+2", 100},     {"25e-2", 0.25},
        {"1E", 1},         {"1E+", 1},
        {"2E-x", 2},       {"1.2.3", 1.2},
        {"12x16", 12},     {"1e5e3", 1e5},
        {"3-4", 3},        {"0.1", 0.1},
        {"", 0},           {"abc", 0},
        {"-", 0},          {".", 0},
        {"-.", 0},         {"E5", 0},
        {"--5", 0},        {"\r5", 0},
        {"1E400", kInf},   {"-1E400", -kInf},
        {"1E-400", 0},     {"0.0001E-320", 0},
        {"&HFF", 255},     {"&Hff", 255},
        {"&H1a", 26},      {"&hC0", 192},
        {"&H", 0},         {"&HG1", 0},
        {"&H1G", 1},       {"&H F F", 255},
        {" &H10", 16},     {"&H-1", 0},
        {"&X10", 0},       {"&HFFFFFFFFF", 68719476735.0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(readNumber(row.text), row.value);
    }
}

TEST(ReadWholeNumber, RoundsHalvesToEvenAndRefusesOtherText) {
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    const struct {
        const char* text;
        std::optional<std::int32_t> value;
    } rows[] = {
        {"176", 176},
        {"  220 ", 220},
        {"\t7\t", 7},
        {"+5", 5},
        {"-5", -5},
        {"-0", 0},
        {"2.5", 2},
        {"3.5", 4},
        {"-2.5", -2},
        {"-3.5", -4},
        {"0.5", 0},
        {"1.5", 2},
        {"2.4", 2},
        {"2.6", 3},
        {".5", 0},
        {"5.", 5},
        {"1E2", 100},
        {"15e-1", 2},
        {"&H10", 16},
        {"2147483647", kMax},
        {"-2147483648", kMin},
        {"-2147483648.5", kMin},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"2147483647.5", std::nullopt},
        {"1E400", std::nullopt},
        {"&H80000000", std::nullopt},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"12x", std::nullopt},
        {"abc", std::nullopt},
        {"1 2", std::nullopt},
        {"- 5", std::nullopt},
        {"1.2.3", std::nullopt},
        {"1E", std::nullopt},
        {".", std::nullopt},
        {"-", std::nullopt},
        {"&H", std::nullopt},
        {"-&H1", std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(readWholeNumber(row.text), row.value);
    }
}

}  // namespace
}  // namespace hexpane
