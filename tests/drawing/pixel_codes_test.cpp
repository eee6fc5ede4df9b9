// PixelCodes, the inverse of drawPane, against drawPane itself: for random
// colour tables (codes missing, colours shared, colours that C0's options also
// draw) and every option, each colour comes back as a code that draws it.
#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>

#include "drawing/drawing.h"
#include "drawing/pixel_codes.h"

namespace {

using hexpane::ColourTable;
using hexpane::PixelCodes;
using hexpane::TransparentColour;

constexpr QRgb kRgb = 0x00FFFFFF;

std::string codeText(unsigned value, bool lowerCase) {
    const char* digits = lowerCase ? "0123456789abcdef" : "0123456789ABCDEF";
    return {digits[value >> 4 & 15], digits[value & 15]};
}

std::string text(const PixelCodes::Code& code) { return {code.begin(), code.end()}; }

bool inOtherCase(const std::string& code, bool lowerCase) {
    for (const char c : code) {
        if (lowerCase ? (c >= 'A' && c <= 'Z') : (c >= 'a' && c <= 'z')) return true;
    }
    return false;
}

ColourTable randomTable(std::mt19937& random) {
    // Black, the face colour, the phone's C0 colour and white each as a table colour too.
    constexpr hexpane::ColourValue kShared[] = {0x000000, 0xEFEFEF, 0xD0EBEB, 0xFFFFFF, 0x123456};
    ColourTable table;
    for (unsigned value = 0; value < 256; ++value) {
        const auto kind = random() % 10;
        if (kind == 0) continue;
        const bool lowerCase = random() % 2 == 0;
        table.add(codeText(value, lowerCase),
                  kind < 3 ? kShared[random() % 5] : static_cast<hexpane::ColourValue>(random() & kRgb));
    }
    return table;
}

// What drawPane draws for every code of two hexadecimal digits, in either case.
std::map<std::string, QRgb> drawnCodes(const ColourTable& table, TransparentColour option) {
    std::map<std::string, QRgb> drawn;
    for (unsigned value = 0; value < 256; ++value) {
        for (const bool lowerCase : {false, true}) {
            const std::string code = codeText(value, lowerCase);
            drawn[code] = hexpane::drawPane(code, {1, 1}, table, option).pixel(0, 0) & kRgb;
        }
    }
    return drawn;
}

int distance(QRgb a, QRgb b) {
    const int red = qRed(a) - qRed(b), green = qGreen(a) - qGreen(b), blue = qBlue(a) - qBlue(b);
    return red * red + green * green + blue * blue;
}

std::string optionName(const testing::TestParamInfo<TransparentColour>& option) {
    const char* names[] = {"Form", "Phone", "Standard"};
    return names[std::size_t(option.param)];
}

class PixelCodesLaw : public testing::TestWithParam<TransparentColour> {};

TEST_P(PixelCodesLaw, EveryDrawnColourComesBackAsTheLowestCodeThatDrawsIt) {
    const TransparentColour option = GetParam();
    std::mt19937 random(5);
    for (int round = 0; round < 20; ++round) {
        const ColourTable table = randomTable(random);
        const PixelCodes codes(table, option);
        const std::map<std::string, QRgb> drawn = drawnCodes(table, option);
        EXPECT_EQ(codes.transparentColour(), drawn.at("C0"));
        for (const bool lowerCase : {false, true}) {
            EXPECT_EQ(drawn.at(text(codes.transparent(lowerCase))), codes.transparentColour());
            for (const auto& [code, colour] : drawn) {
                const auto found = codes.exact(colour, lowerCase);
                ASSERT_TRUE(found) << code;
                const std::string back = text(*found);
                EXPECT_EQ(drawn.at(back), colour) << code << " came back as " << back;
                if (option != TransparentColour::Standard && colour == drawn.at("C0")) {
                    EXPECT_EQ(back, "C0");
                    continue;
                }
                const auto value = unsigned(std::stoul(back, nullptr, 16));
                for (unsigned lower = 0; lower < value; ++lower) {
                    EXPECT_NE(drawn.at(codeText(lower, false)), colour) << back << " is not the lowest";
                    EXPECT_NE(drawn.at(codeText(lower, true)), colour) << back << " is not the lowest";
                }
                if (inOtherCase(back, lowerCase)) {
                    EXPECT_NE(drawn.at(codeText(value, lowerCase)), colour) << back << " could be in the case asked";
                }
            }
            for (int k = 0; k < 200; ++k) {  // in cells all over the RGB cube
                const auto colour = static_cast<QRgb>(random() & kRgb);
                const bool drawnByACode =
                    std::any_of(drawn.begin(), drawn.end(), [&](const auto& entry) { return entry.second == colour; });
                EXPECT_EQ(codes.exact(colour, lowerCase).has_value(), drawnByACode);
                const std::string near = text(codes.nearest(colour, lowerCase));
                for (const auto& [code, other] : drawn)
                    EXPECT_LE(distance(drawn.at(near), colour), distance(other, colour)) << near << " vs " << code;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Options, PixelCodesLaw,
                         testing::Values(TransparentColour::Form, TransparentColour::Phone,
                                         TransparentColour::Standard),
                         optionName);

}  // namespace
