// The one drawing path every program takes: the size a picture gets, its text,
// and a pane as an image.
#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "drawing/drawing.h"

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
            const PictureRecord picture{"p", "", std::string(2 * pixels, 'A')};
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
