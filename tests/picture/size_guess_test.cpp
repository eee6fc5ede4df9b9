#include "picture/size_guess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

using hexpane::ColourTable;
using hexpane::guessSizes;
using hexpane::SizeGuess;

constexpr char kDigits[] = "0123456789ABCDEF";

const ColourTable& shippedColours() {
    static const ColourTable table = [] {
        std::ifstream file(HEXPANE_SOURCE_DIR "/data/map.txt");
        return hexpane::readColourTable(file);
    }();
    return table;
}

struct Rgb {
    int r, g, b;
};
// A pixel of a generated picture: a colour, or nothing (transparent, C0).
using Pixel = std::optional<Rgb>;
using Picture = std::function<Pixel(int x, int y)>;

// The code of the shipped table nearest to the colour, never C0, as a patch made
// from a picture would carry it.
std::string nearestCode(Rgb colour) {
    std::string best;
    long bestDistance = -1;
    for (int byte = 0; byte < 256; ++byte) {
        const std::string code = {kDigits[byte >> 4], kDigits[byte & 15]};
        const auto value = shippedColours().lookup(code);
        if (!value || code == "C0") continue;
        const long r = long(*value & 0xFF) - colour.r, g = long(*value >> 8 & 0xFF) - colour.g,
                   b = long(*value >> 16 & 0xFF) - colour.b;
        if (bestDistance < 0 || r * r + g * g + b * b < bestDistance) bestDistance = r * r + g * g + b * b, best = code;
    }
    return best;
}

std::string hexOf(int width, int height, const Picture& picture) {
    std::string hex;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Pixel pixel = picture(x, y);
            hex += pixel ? nearestCode(*pixel) : "C0";
        }
    return hex;
}

// Rings of colour around a point: smooth, and curved everywhere.
Picture radialGradient(int width, int height, std::mt19937& random) {
    const double cx = std::uniform_real_distribution<double>(0, width)(random);
    const double cy = std::uniform_real_distribution<double>(0, height)(random);
    return [=](int x, int y) -> Pixel {
        const double r = std::hypot(x - cx, y - cy);
        return Rgb{static_cast<int>(r * 5) % 256, 255 - static_cast<int>(r * 3) % 256, 128};
    };
}

// Filled ellipses and boxes of random colours on a transparent ground.
Picture shapes(int width, int height, std::mt19937& random) {
    struct Shape {
        bool ellipse;
        double cx, cy, rx, ry;
        Rgb colour;
    };
    std::vector<Shape> all;
    std::uniform_real_distribution<double> unit(0, 1);
    for (int k = 0; k < 4; ++k)
        all.push_back({k % 2 == 0, unit(random) * width, unit(random) * height, (0.1 + 0.3 * unit(random)) * width,
                       (0.1 + 0.3 * unit(random)) * height,
                       Rgb{int(unit(random) * 255), int(unit(random) * 255), int(unit(random) * 255)}});
    return [=](int x, int y) -> Pixel {
        Pixel pixel;
        for (const Shape& shape : all) {
            const double dx = (x - shape.cx) / shape.rx, dy = (y - shape.cy) / shape.ry;
            const bool inside = shape.ellipse ? dx * dx + dy * dy <= 1 : std::abs(dx) <= 1 && std::abs(dy) <= 1;
            if (inside) pixel = shape.colour;
        }
        return pixel;
    };
}

// Lines of "letters" made of one-pixel strokes (upright, across, slanted), ink on paper.
Picture strokes(int width, int height, std::mt19937& random) {
    const int lineHeight = std::uniform_int_distribution<int>(6, 10)(random);
    std::vector<bool> ink(static_cast<std::size_t>(width) * height, false);
    std::uniform_int_distribution<int> kind(0, 3);
    for (int top = 1; top + lineHeight <= height; top += lineHeight + 2) {
        for (int left = 1; left + lineHeight / 2 < width; left += lineHeight / 2 + 2) {
            for (int stroke = 0; stroke < 2; ++stroke) {
                const int shape = kind(random), size = lineHeight - 1;
                for (int t = 0; t < size; ++t) {
                    const int x = left + (shape == 0 ? 0 : shape == 1 ? t / 2 : shape == 2 ? t * 2 / 3 : size / 3);
                    const int y = top + (shape == 1 ? size / 2 : t);
                    if (x < width && y < height) ink[static_cast<std::size_t>(y) * width + x] = true;
                }
            }
        }
    }
    return [=](int x, int y) -> Pixel {
        return ink[static_cast<std::size_t>(y) * width + x] ? Rgb{20, 20, 20} : Rgb{250, 250, 240};
    };
}

struct Kind {
    const char* name;
    Picture (*make)(int width, int height, std::mt19937& random);
};

TEST(GuessSizes, PutsTheTrueSizeFirst) {
    const Kind kinds[] = {{"radial gradient", radialGradient}, {"shapes", shapes}, {"strokes", strokes}};
    std::mt19937 random(7);
    for (const Kind& kind : kinds) {
        for (int round = 0; round < 4; ++round) {
            const int area = std::uniform_int_distribution<int>(600, 5000)(random);
            const double aspect = std::exp(std::uniform_real_distribution<double>(0, std::log(5.0))(random));
            const int wide = static_cast<int>(std::sqrt(area * aspect)), narrow = std::max(8, area / wide);
            for (const auto& [width, height] : {std::pair{wide, narrow}, std::pair{narrow, wide}}) {
                const std::string hex = hexOf(width, height, kind.make(width, height, random));
                const std::vector<SizeGuess> guesses = guessSizes(hex, {}, shippedColours());
                ASSERT_FALSE(guesses.empty());
                EXPECT_EQ(guesses.front().size.width, width) << kind.name << " " << width << "x" << height;
                EXPECT_EQ(guesses.front().size.height, height) << kind.name << " " << width << "x" << height;
            }
        }
    }
}

// Every width that divides the count, but those more than 16 times the height
// or less than a sixteenth of it, unless no other width is left.
std::vector<int> referenceWidths(int count) {
    std::vector<int> all, moderate;
    for (int width = 1; width <= count; ++width) {
        if (count % width != 0) continue;
        all.push_back(width);
        const int height = count / width;
        if (width <= 16 * height && height <= 16 * width) moderate.push_back(width);
    }
    return moderate.empty() ? all : moderate;
}

TEST(GuessSizes, OffersEveryFittingSizeOnceAndNoOther) {
    std::mt19937 random(11);
    for (const int count : {4, 5, 12, 17, 64, 202, 256, 1024, 8080, 38720, 76800, 100000, 65537}) {
        std::string hex;
        for (int k = 0; k < count; ++k) hex += nearestCode({int(random() % 256), int(random() % 256), 0});
        std::vector<int> widths;
        for (const SizeGuess& guess : guessSizes(hex, {}, shippedColours())) {
            EXPECT_EQ(std::int64_t{guess.size.width} * guess.size.height, count);
            widths.push_back(guess.size.width);
        }
        std::sort(widths.begin(), widths.end());
        EXPECT_EQ(widths, referenceWidths(count)) << count << " pixels";
    }
}

TEST(GuessSizes, OffersNothingBelowFourPixels) {
    for (const char* hex : {"", "FF", "FF00", "FF00E0", "FF00E0F", "zz", "C0C0C0"})
        EXPECT_TRUE(guessSizes(hex, "FF00E01C03", shippedColours()).empty()) << hex;
}

// Equal scores: the less extreme shape first, then the upright one.
TEST(GuessSizes, OrdersEqualScoresBySquarenessThenUpright) {
    std::vector<std::pair<int, int>> sizes;
    for (const SizeGuess& guess : guessSizes(std::string(24, 'F'), {}, shippedColours()))
        sizes.emplace_back(guess.size.width, guess.size.height);
    const std::vector<std::pair<int, int>> expected = {{3, 4}, {4, 3}, {2, 6}, {6, 2}, {1, 12}, {12, 1}};
    EXPECT_EQ(sizes, expected);

    // Identical rows of 24: widths 24, 48, 72 and 96 explain it alike.
    std::string rows;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 24; ++x) rows += x % 5 == 0 ? "E0" : x % 3 == 0 ? "1C" : "FF";
    const std::vector<SizeGuess> guesses = guessSizes(rows, {}, shippedColours());
    ASSERT_FALSE(guesses.empty());
    EXPECT_EQ(guesses.front().size.width, 24);
}

struct JudgedRow {
    const char* name;
    std::string newHex, oldHex;
    int width;
};

TEST(GuessSizes, JudgesThePixelsAsDrawn) {
    std::mt19937 random(3);
    const std::string wide = hexOf(60, 20, shapes(60, 20, random)), tall = hexOf(20, 60, shapes(20, 60, random));
    // Shapes of C0 on the colour the table gives C0 ("c0"): apart, as C0 is a colour of its own.
    std::string transparentShapes;
    for (std::size_t k = 0; k < wide.size(); k += 2) transparentShapes += wide.substr(k, 2) == "C0" ? "C0" : "c0";
    std::string allTransparent;
    for (std::size_t k = 0; k < wide.size(); k += 2) allTransparent += "C0";
    const JudgedRow rows[] = {
        {"the new text, whatever the old", wide, tall, 60},
        {"the old text when the new is one colour", std::string(wide.size(), 'F'), tall, 20},
        {"the old text when the new is all C0", allTransparent, tall, 20},
        {"C0 apart from its table colour", transparentShapes, {}, 60},
    };
    for (const JudgedRow& row : rows) {
        const std::vector<SizeGuess> guesses = guessSizes(row.newHex, row.oldHex, shippedColours());
        ASSERT_FALSE(guesses.empty()) << row.name;
        EXPECT_EQ(guesses.front().size.width, row.width) << row.name;
    }
}

// The guesses follow the drawing alone: the same picture in other letters, codes
// the table lacks for black (00), or a copy of the table, is guessed alike.
TEST(GuessSizes, GivesTheSameGuessesForTheSameDrawing) {
    std::mt19937 random(5);
    const std::string hex = hexOf(48, 30, strokes(48, 30, random));
    std::string lower = hex, unknownForBlack = hex;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (std::size_t k = 0; k < hex.size(); k += 2)
        if (hex.compare(k, 2, nearestCode({20, 20, 20})) == 0) unknownForBlack.replace(k, 2, "00");
    std::string unknown = unknownForBlack;
    for (std::size_t k = 0; k < unknown.size(); k += 2)
        if (unknown.compare(k, 2, "00") == 0) unknown.replace(k, 2, "zz");

    const ColourTable copy = shippedColours();
    const auto same = [](const std::vector<SizeGuess>& a, const std::vector<SizeGuess>& b) {
        if (a.size() != b.size()) return false;
        for (std::size_t k = 0; k < a.size(); ++k)
            if (a[k].size.width != b[k].size.width || a[k].score != b[k].score) return false;
        return !a.empty();
    };
    const std::vector<SizeGuess> guesses = guessSizes(hex, {}, shippedColours());
    EXPECT_TRUE(same(guesses, guessSizes(hex, {}, shippedColours()))) << "again";
    EXPECT_TRUE(same(guesses, guessSizes(hex, {}, copy))) << "a copy of the table";
    EXPECT_TRUE(same(guesses, guessSizes(lower, {}, shippedColours()))) << "lower case";
    EXPECT_TRUE(same(guessSizes(unknownForBlack, {}, shippedColours()), guessSizes(unknown, {}, shippedColours())))
        << "codes the table lacks";
}

}  // namespace
