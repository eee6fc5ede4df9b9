// The one drawing path every program takes: the size a picture gets, its text,
// and a pane as an image.
#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "drawing/drawing.h"
#include "picture/size_guess.h"

namespace hexpane {
namespace {

ColourTable colourTable(const char* text) {
    std::istringstream in(text);
    return readColourTable(in);
}

std::vector<SizeRecord> sizeTable(const std::string& text) {
    std::istringstream in(text);
    return readSizeTable(in);
}

// The indexed lookup gives what the window's FindSizes and drawingSize give,
// also after the tables have been moved, as loading them does.
TEST(Drawing, PictureSizeIsTheFirstRecordOfItsCount) {
    std::mt19937 random(5);
    const char* fields[] = {"1", "2", "3", "4", "6", "0", "-2", "1.5", "x", "", " 2", "&H3"};
    for (int round = 0; round < 100; ++round) {
        std::string text;
        for (int line = int(random() % 12); line > 0; --line) {
            text +=
                std::string(fields[random() % std::size(fields)]) + "," + fields[random() % std::size(fields)] + "\n";
        }
        Tables loaded(ColourTable(), sizeTable(text));
        const Tables tables = std::move(loaded);
        for (std::size_t pixels = 0; pixels < 40; ++pixels) {
            const std::string hex(2 * pixels, 'A');
            const PictureText picture{"p", "", hex};
            const auto expected = drawingSize(sizesOf(picture, tables));
            const auto found = pictureSize(picture, tables);
            ASSERT_EQ(found.has_value(), expected.has_value()) << text << pixels;
            if (found) {
                EXPECT_EQ(sizeText(found), QStringLiteral("%1x%2").arg(expected->width).arg(expected->height));
            }
        }
    }
    EXPECT_EQ(sizeText(std::nullopt), QStringLiteral("Error"));
}

// Guessing gives a size only where the table gives none: the best guesses,
// the first of them the size; one picture at a time and a patch's pictures at
// once, which guesses on several threads when there is much to guess from.
TEST(Drawing, ASizeIsGuessedOnlyWhereTheTableGivesNone) {
    std::mt19937 random(9);
    const Tables tables(colourTable("00 000000\nFF FFFFFF\n1C 00FF00\n"), sizeTable("4,4\n0,3\n2,3\n"));
    for (const std::size_t few : {std::size_t{30}, std::size_t{40000}}) {  // in all, too few pixels for threads; enough
        std::string patch;
        for (std::size_t pixels = 0; pixels < few; pixels += 1 + random() % (few / 10)) {
            std::string hex;
            for (std::size_t k = 0; k < pixels; ++k)
                hex += (k / 3 + k % 7) % 3 == 0 ? "FF" : random() % 2 ? "1C" : "00";
            patch += "; Picture Data\r\n0: " + std::string(hex.rbegin(), hex.rend()) + " " + hex + "\r\n";
        }
        std::istringstream in(patch);
        const Pictures pictures = readPictures(in);
        const std::vector<SizeChoice> all = pictureSizes(pictures, tables, Guessing::On);
        ASSERT_EQ(all.size(), pictures.size());
        for (std::size_t i = 0; i < pictures.size(); ++i) {
            const PictureText picture = pictures[i];
            const std::optional<PictureSize> table = pictureSize(picture, tables);
            const SizeChoice off = pictureSize(picture, tables, Guessing::Off);
            const SizeChoice on = pictureSize(picture, tables, Guessing::On);
            EXPECT_EQ(off.size, table);
            EXPECT_FALSE(off.guessed);
            EXPECT_TRUE(off.guesses.empty());
            EXPECT_EQ(on.guessed, !table) << pixelCount(picture);
            std::vector<PictureSize> best;
            if (!table) {
                for (const SizeGuess& guess : guessSizes(picture.newHex, picture.oldHex, tables.colours))
                    if (best.size() < kKeptGuesses) best.push_back(guess.size);
            }
            EXPECT_EQ(on.guesses, best) << pixelCount(picture);
            EXPECT_EQ(on.size, table ? table : best.empty() ? std::nullopt : std::optional(best.front()));
            EXPECT_EQ(sizeText(on), (on.guessed && on.size ? "~" : "") + sizeText(on.size));
            EXPECT_EQ(all[i].size, on.size);
            EXPECT_EQ(all[i].guessed, on.guessed);
            EXPECT_EQ(all[i].guesses, on.guesses);
        }
    }
}

// A pane is the rendered colours, system colours taken from the palette.
TEST(Drawing, APaneIsTheRenderedColoursInThePalettesColours) {
    const ColourTable colours = colourTable("A0 0000FF\nC0 00FF00\n");
    QPalette palette = defaultPalette();
    palette.setColor(QPalette::Window, QColor(1, 2, 3));
    const std::string hex = "A0C0c0ZZC";  // last code one character; one pixel not reached
    const PictureSize size{3, 2};
    for (const auto option : {TransparentColour::Form, TransparentColour::Phone, TransparentColour::Standard}) {
        const QImage image = drawPane(hex, size, colours, option, palette);
        const std::vector<ColourValue> rendered = renderPane(hex, size.width, size.height, colours, option);
        ASSERT_EQ(image.size(), QSize(3, 2));
        for (int k = 0; k < 6; ++k) {
            EXPECT_EQ(image.pixel(k % 3, k / 3), toRgb(rendered[std::size_t(k)], palette)) << k;
        }
    }
    EXPECT_EQ(drawPane(hex, size, colours, TransparentColour::Form).pixel(1, 0), qRgb(0xEF, 0xEF, 0xEF));
}

}  // namespace
}  // namespace hexpane
