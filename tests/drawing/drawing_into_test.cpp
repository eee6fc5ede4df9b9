// A pane drawn into an image that is already there: drawPane's very pixels,
// whatever the number of threads, the size of the picture or the length of
// its text.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "drawing/drawing.h"

namespace hexpane {
namespace {

std::string codes(std::size_t count) {
    static constexpr const char* kCodes[] = {"00", "FF", "A0", "B1", "C0", "c0", "ZZ", "D3", "7F"};
    std::string hex;
    for (std::size_t k = 0; k < count; ++k) hex += kCodes[(k * 7 + k / 3) % std::size(kCodes)];
    return hex;
}

TEST(DrawPaneInto, GivesDrawPanesPixelsOnAnyNumberOfThreads) {
    std::istringstream map("00 000000\r\nFF FFFFFF\r\nA0 0000FF\r\nB1 00FF00\r\nC0 FF0000\r\nD3 123456\r\n");
    const ColourTable colours = readColourTable(map);
    const PictureSize sizes[] = {{1, 1}, {7, 3}, {333, 517}, {4096, 9}, {1, 70'000}};
    for (const PictureSize size : sizes) {
        const std::size_t pixels = std::size_t(size.width) * std::size_t(size.height);
        const std::string texts[] = {"", codes(pixels), codes(pixels / 2) + "A", codes(pixels) + "FFFF",
                                     codes(pixels).substr(0, 2 * pixels - 1)};
        for (const std::string& hex : texts) {
            for (const TransparentColour option :
                 {TransparentColour::Form, TransparentColour::Phone, TransparentColour::Standard}) {
                const QImage expected = drawPane(hex, size, colours, option);
                for (const int threads : {0, 1, 2, 3, 8}) {
                    SCOPED_TRACE(testing::Message() << size.width << "x" << size.height << ", " << hex.size()
                                                    << " characters, " << threads << " threads");
                    QImage image = blankPane(size.width, size.height);
                    image.fill(Qt::magenta);
                    ASSERT_TRUE(drawPaneInto(image, hex, size, colours, option, defaultPalette(), threads));
                    ASSERT_TRUE(image == expected);
                }
            }
        }
    }
}

TEST(DrawPaneInto, RefusesAnImageOfAnotherSizeOrKind) {
    const ColourTable colours;
    const struct {
        const char* what;
        QImage image;
    } cases[] = {
        {"no image", QImage()},
        {"narrower", blankPane(3, 4)},
        {"lower", blankPane(4, 3)},
        {"another format", QImage(4, 4, QImage::Format_ARGB32)},
    };
    for (const auto& c : cases) {
        QImage image = c.image;
        EXPECT_FALSE(drawPaneInto(image, "FFFF", {4, 4}, colours, TransparentColour::Form, defaultPalette())) << c.what;
    }
}

}  // namespace
}  // namespace hexpane
