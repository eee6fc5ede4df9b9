// hexpane-import on image files that do not hold every pixel they declare, at
// every depth and compression the two formats have, beside the same files
// whole: a file cut short, a pixel offset past the end, a compressed stream
// without its end or with pixels skipped, a colour index past the colour
// table. Each is refused as unreadable, naming the file, and nothing is
// written; the whole ones import.
#include <QFile>

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

#include "import/import_fixture.h"

namespace hexpane::test {
namespace {

void put(std::string& bytes, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) bytes += char(value >> (8 * i) & 0xFF);
}

struct Bmp {
    int bits = 24;
    std::uint32_t compression = 0;  // BI_RGB; 1 RLE8; 3 BI_BITFIELDS
    std::vector<QRgb> colours;      // the colour table
    std::string pixels;             // rows from the bottom, as the format stores them
    int header = 40;                // 124: a version 5 header, with an alpha mask
};

// A 2 × 2 BMP as the format lays it out.
std::string bmpFile(const Bmp& bmp) {
    std::string info;
    put(info, std::uint32_t(bmp.header), 4);
    put(info, 2, 4);
    put(info, 2, 4);
    put(info, 1, 2);
    put(info, std::uint32_t(bmp.bits), 2);
    put(info, bmp.compression, 4);
    put(info, std::uint32_t(bmp.pixels.size()), 4);
    put(info, 2835, 4);
    put(info, 2835, 4);
    put(info, std::uint32_t(bmp.colours.size()), 4);
    put(info, 0, 4);
    if (bmp.header == 124) {
        for (const std::uint32_t mask : {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u}) put(info, mask, 4);
        put(info, 0x73524742, 4);  // sRGB
    }
    info.resize(std::size_t(bmp.header), '\0');
    for (const QRgb colour : bmp.colours) put(info, colour & 0xFFFFFF, 4);
    std::string file = "BM";
    put(file, std::uint32_t(14 + info.size() + bmp.pixels.size()), 4);
    put(file, 0, 4);
    put(file, std::uint32_t(14 + info.size()), 4);
    return file + info + bmp.pixels;
}

std::uint32_t crc(const std::string& bytes) {
    std::uint32_t value = 0xFFFFFFFF;
    for (const char c : bytes) {
        value ^= std::uint8_t(c);
        for (int k = 0; k < 8; ++k) value = value >> 1 ^ (0xEDB88320 & (0 - (value & 1)));
    }
    return ~value;
}

std::string chunk(const std::string& kind, const std::string& data) {
    std::string out;
    for (int i = 3; i >= 0; --i) out += char(data.size() >> (8 * i) & 0xFF);
    const std::uint32_t sum = crc(kind + data);
    std::string tail;
    for (int i = 3; i >= 0; --i) tail += char(sum >> (8 * i) & 0xFF);
    return out + kind + data + tail;
}

// A 2 × 2 palette PNG of 4-bit indices, rows given as their two indices.
std::string palettePng(const std::vector<QRgb>& colours, std::array<int, 4> indices) {
    const std::string header = {0, 0, 0, 2, 0, 0, 0, 2, 4, 3, 0, 0, 0};
    std::string palette;
    for (const QRgb colour : colours) palette += {char(qRed(colour)), char(qGreen(colour)), char(qBlue(colour))};
    const std::string rows = {0, char(indices[0] << 4 | indices[1]), 0, char(indices[2] << 4 | indices[3])};
    const QByteArray compressed = qCompress(QByteArray::fromStdString(rows)).mid(4);  // a zlib stream after Qt's length
    return "\x89PNG\r\n\x1a\n" + chunk("IHDR", header) + chunk("PLTE", palette) +
           chunk("IDAT", compressed.toStdString()) + chunk("IEND", "");
}

std::string cut(std::string bytes, std::size_t shorter) { return bytes.substr(0, bytes.size() - shorter); }

TEST_F(ImportChecks, AnImageThatDoesNotHoldEveryPixelCannotBeRead) {
    // Picture a, "A0B1C2FF": its colours, which its whole images show.
    const std::vector<QRgb> colours = {drawnCode("A0"), drawnCode("B1"), drawnCode("C2"), drawnCode("FF")};
    const std::string bmp24 = readBytes(path("out/p/000-a-new.bmp")).toStdString();
    std::string farPixels = bmp24;
    farPixels.replace(10, 4, std::string("\x40\x42\x0f\x00", 4));  // a million
    ASSERT_TRUE(QImage(path("out/p/000-a-new.bmp")).save(path("a.png")));
    const std::string png = readBytes(path("a.png")).toStdString();
    const std::string indices8 = std::string("\2\3\0\0\0\1\0\0", 8);
    const std::string rle8 = std::string("\1\2\1\3\0\0\1\0\1\1\0\0\0\1", 14);
    std::string rgba;  // (0, 0) transparent, the others as drawn; alpha 0 in a plain 32-bit BMP is no alpha
    for (const QRgb colour : {colours[2], colours[3], colours[0] & 0xFFFFFF, colours[1]}) put(rgba, colour, 4);
    const struct {
        const char* what;
        std::string bytes;
        const char* suffix;
        int status;
        const char* told;
    } cases[] = {
        {"24-bit, whole", bmp24, "bmp", 0, "unchanged"},
        {"24-bit, the last row's padding missing", cut(bmp24, 2), "bmp", 2, "cut short"},
        {"24-bit, a byte of the last pixel missing", cut(bmp24, 3), "bmp", 2, "cut short"},
        {"24-bit, the last two rows missing", cut(bmp24, 16), "bmp", 2, "cut short"},
        {"24-bit, its pixels past its end", farPixels, "bmp", 2, "cut short"},
        {"8-bit, whole", bmpFile({8, 0, colours, indices8}), "bmp", 0, "unchanged"},
        {"8-bit, cut short", cut(bmpFile({8, 0, colours, indices8}), 4), "bmp", 2, "cut short"},
        {"8-bit, its colour table cut short", bmpFile({8, 0, {}, {}}), "bmp", 2, "colour table"},
        {"8-bit, an index past its table", bmpFile({8, 0, colours, std::string("\2\3\0\0\0\11\0\0", 8)}), "bmp", 2,
         "colour index 9"},
        {"RLE8, whole", bmpFile({8, 1, colours, rle8}), "bmp", 0, "unchanged"},
        {"RLE8, without its end mark", bmpFile({8, 1, colours, cut(rle8, 2)}), "bmp", 2, "cut short"},
        {"RLE8, a pixel jumped over", bmpFile({8, 1, colours, std::string("\1\2\1\3\0\0\0\2\1\0\1\1\0\0\0\1", 16)}),
         "bmp", 2, "without a colour"},
        {"RLE8, a run past its row", bmpFile({8, 1, colours, std::string("\3\2\0\0\0\1", 6)}), "bmp", 2,
         "past the end of a row"},
        {"RLE8, an index past its table", bmpFile({8, 1, colours, std::string("\1\2\1\7\0\0\2\0\0\1", 10)}), "bmp", 2,
         "colour index 7"},
        {"32-bit with an alpha mask, a pixel transparent", bmpFile({32, 3, {}, rgba, 124}), "bmp", 0,
         "1 pixel changed"},
        {"32-bit, no alpha", bmpFile({32, 0, {}, rgba}), "bmp", 0, "unchanged"},
        {"PNG, whole", png, "png", 0, "unchanged"},
        {"PNG, cut short", cut(png, 20), "png", 2, "cut short"},
        {"palette PNG, whole", palettePng(colours, {0, 1, 2, 3}), "png", 0, "unchanged"},
        {"palette PNG, an index past its palette", palettePng(colours, {0, 1, 2, 15}), "png", 2, "colour index 15"},
    };
    for (const auto& c : cases) {
        const QString image = QStringLiteral("in/000-image-new.%1").arg(QLatin1String(c.suffix));
        writeBytes(path(image), c.bytes);
        QFile::remove(path("o.vkp"));
        const ExportRun run = importRun({"p.vkp", image, "-o", "o.vkp"});
        const std::string what = std::string(c.what) + "\n" + run.err.toStdString();
        EXPECT_EQ(run.status, c.status) << what;
        EXPECT_TRUE(run.err.contains(c.told)) << what;
        EXPECT_EQ(QFile::exists(path("o.vkp")), c.status == 0) << what;
        if (c.status != 0) {
            EXPECT_TRUE(run.err.startsWith("hexpane-import: " + image.toUtf8() + ": ")) << what;
        }
        QFile::remove(path(image));
    }
}

// An image is read as its decoder asks, never whole: padded to a gigabyte
// (sparse, so it costs no disk), it imports where a gigabyte is not to be had.
TEST_F(ImportChecks, AnImagePaddedToAGigabyteCostsWhatItsPixelsDo) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer needs more address space than the limit here leaves";
#endif
    ASSERT_TRUE(QFile::copy(path("out/p/000-a-new.bmp"), path("in/000-a-new.bmp")));
    ASSERT_EQ(truncate(QFile::encodeName(path("in/000-a-new.bmp")).constData(), off_t{1} << 30), 0);
    const ExportRun run =
        runProgram(QStringLiteral(HEXPANE_IMPORT_PROGRAM), withTables({"p.vkp", "in/000-a-new.bmp", "-o", "o.vkp"}),
                   dir.path(), limited(RLIMIT_AS, rlim_t{512} << 20));
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("000 a: unchanged")) << run.err.toStdString();
}

}  // namespace
}  // namespace hexpane::test
