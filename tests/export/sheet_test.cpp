// hexpane-export --thumbnail: what it draws, when it writes nothing, and how
// little of a patch it reads.
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include <unistd.h>

#include "run_export.h"

namespace hexpane::test {
namespace {

struct Shape {
    int width, height;
};

class Thumbnail : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    QString path(const QString& name) const { return dir.filePath(name); }

    ExportRun run(const QStringList& arguments, const RunSetup& setup = {}) {
        const QString data = QStringLiteral(HEXPANE_SOURCE_DIR "/data/map.txt");
        return runExport(QStringList{"--map", data, "--size", path("size.txt")} + arguments, dir.path(), setup);
    }

    // A picture of random codes, old and new alike, on one data line.
    std::string picture(const std::string& name, Shape shape) {
        static constexpr char kDigits[] = "0123456789ABCDEF";
        std::string hex;
        for (int i = 0; i < 2 * shape.width * shape.height; ++i) hex += kDigits[random() % 16];
        return "##### Picture " + name + "\r\n; Picture Data\r\n0: " + hex + "\r\n\r\n";
    }

    // Whether the thumbnail holds the reference at some whole factor.
    static bool showsScaled(const QImage& thumbnail, const QImage& reference) {
        for (int k = 1; k * reference.width() <= thumbnail.width(); ++k) {
            if (holds(thumbnail, reference, k)) return true;
        }
        for (int n = 2; n < 2 * std::max(reference.width(), reference.height()); ++n) {
            if (holds(thumbnail, reference, 1, n)) return true;
        }
        return false;
    }

    QTemporaryDir dir;
    std::mt19937 random{7};
};

TEST_F(Thumbnail, ShowsTheFirstPictureWithASizeScaledByAWholeFactor) {
    const Shape shapes[] = {{2, 2}, {3, 5}, {300, 200}, {40, 700}};
    std::string sizes;
    for (const Shape& shape : shapes) sizes += std::to_string(shape.width) + "," + std::to_string(shape.height) + "\n";
    writeBytes(path("size.txt"), sizes);
    for (const Shape& shape : shapes) {
        // After one without a size, and before others.
        writeBytes(path("p.vkp"), picture("odd", {7, 1}) + picture("first", shape) + picture("next", {3, 5}) +
                                      picture("last", {2, 2}));
        for (const QString transparent : {"form", "phone"}) {
            const QStringList drawing = {"--transparent", transparent, "--force"};
            const ExportRun exported = run(drawing + QStringList{"-o", "ref", "--format", "png", "p.vkp"});
            ASSERT_EQ(exported.status, 1) << exported.err.toStdString();  // for the picture without a size
            const QImage reference = QImage(path("ref/p/001-first-new.png")).convertToFormat(QImage::Format_ARGB32);
            ASSERT_FALSE(reference.isNull());
            for (const int size : {16, 100, 256}) {
                const std::string what = std::to_string(shape.width) + "x" + std::to_string(shape.height) + " in " +
                                         std::to_string(size) + ", " + transparent.toStdString();
                const ExportRun result =
                    run(drawing + QStringList{"--thumbnail", QString::number(size), "p.vkp", "t.png"});
                ASSERT_EQ(result.status, 0) << what << "\n" << result.err.toStdString();
                EXPECT_TRUE(result.err.isEmpty()) << what << "\n" << result.err.toStdString();
                const QImage thumbnail = QImage(path("t.png")).convertToFormat(QImage::Format_ARGB32);
                EXPECT_TRUE(thumbnail.width() <= size && thumbnail.height() <= size) << what;
                EXPECT_TRUE(showsScaled(thumbnail, reference)) << what;
            }
        }
    }
}

TEST_F(Thumbnail, WritesNothingWithoutAPictureToDraw) {
    writeBytes(path("size.txt"), "2,2\n");
    const std::string patches[] = {"", "no picture here\r\n", picture("odd", {3, 1}) + picture("other", {5, 1})};
    for (const std::string& patch : patches) {
        writeBytes(path("p.vkp"), patch);
        const ExportRun result = run({"--thumbnail", "128", "p.vkp", "t.png"});
        EXPECT_EQ(result.status, 1) << patch;
        EXPECT_TRUE(result.err.contains("p.vkp")) << result.err.toStdString();
        EXPECT_FALSE(QFile::exists(path("t.png"))) << patch;
    }
}

// A patch whose start holds its pictures gets its thumbnail where reading it
// whole takes more memory than there is, whatever follows them: a data line
// of a gigabyte of zeros (sparse, so it costs no disk), or 70 MB of data
// markers, each a picture of its own, which fill the memory before the
// budget of 64 MiB is read: the pictures found by then are drawn.
TEST_F(Thumbnail, APatchWithPicturesAtItsStartGetsItsThumbnailWhateverFollows) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer needs more address space than the limit here leaves";
#endif
    writeBytes(path("size.txt"), "32,32\n");
    const std::string pictures = picture("first", {32, 32}) + picture("second", {32, 32});
    writeBytes(path("p.vkp"), pictures);
    ASSERT_EQ(run({"-o", "ref", "--format", "png", "p.vkp"}).status, 0);
    const QImage reference = QImage(path("ref/p/000-first-new.png")).convertToFormat(QImage::Format_ARGB32);
    std::string markers;
    for (int i = 0; i < 70'000'000 / 16; ++i) markers += "; Picture Data\r\n";
    const RunSetup limit = limited(RLIMIT_AS, rlim_t{512} << 20);
    for (const bool gigabyte : {true, false}) {
        SCOPED_TRACE(gigabyte ? "a gigabyte data line" : "data markers");
        QFile::remove(path("t.png"));
        writeBytes(path("p.vkp"), pictures + (gigabyte ? "; Picture Data\r\n0: " : markers));
        if (gigabyte) {
            ASSERT_EQ(truncate(QFile::encodeName(path("p.vkp")).constData(), off_t{1} << 30), 0);
        }
        // The gigabyte line cannot be read whole under the limit; the markers,
        // whose records cost less than the file, can.
        EXPECT_EQ(run({"--list", "p.vkp"}, limit).status, gigabyte ? 2 : 0);
        const ExportRun result = run({"--thumbnail", "128", "p.vkp", "t.png"}, limit);
        ASSERT_EQ(result.status, 0) << result.err.toStdString();
        EXPECT_TRUE(showsScaled(QImage(path("t.png")).convertToFormat(QImage::Format_ARGB32), reference));
    }
}

}  // namespace
}  // namespace hexpane::test
