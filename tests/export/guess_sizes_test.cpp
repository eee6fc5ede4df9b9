// hexpane-export --guess-sizes: a picture that the size table gives no size is
// listed with its guesses and drawn in files, on the sheet and in the thumbnail
// exactly as if the table lines the listing suggests were in the table.
#include <QDir>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "run_export.h"

namespace hexpane::test {
namespace {

class GuessSizes : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        // The sample's smiley (46 x 46) has a size in the table; its heart
        // (32 x 32) and flag (16 x 16) have none, nor has a picture of 3 pixels.
        const QByteArray sample = readBytes(QStringLiteral(HEXPANE_SOURCE_DIR "/examples/sample.vkp"));
        writeBytes(path("p.vkp"), sample.toStdString() + patchOf({"tiny"}, "A0B1C2"));
        writeBytes(path("size.txt"), "46,46\n");
    }

    QString path(const QString& name) const { return dir.filePath(name); }

    ExportRun run(const QString& sizes, const QStringList& arguments) {
        const QStringList tables = {"--map", QStringLiteral(HEXPANE_SOURCE_DIR "/data/map.txt"), "--size", sizes};
        return runExport(tables + arguments, dir.path());
    }

    QTemporaryDir dir;
};

TEST_F(GuessSizes, TheListingMarksEachGuessAndEndsWithTheLinesThatKeepThem) {
    const QString listing =
        "000\tsmiley\t2116\t46x46\tchanged\n001\theart\t1024\t~32x32\tchanged\n"
        "002\tflag\t256\t~16x16\tchanged\n003\ttiny\t3\tError\tchanged\n";
    const ExportRun text = run("size.txt", {"--list", "--guess-sizes", "p.vkp", "p.vkp"});
    ASSERT_EQ(text.status, 0) << text.err.toStdString();
    EXPECT_EQ(QString::fromUtf8(text.out), "p.vkp:\n" + listing + "p.vkp:\n" + listing);
    // Once each, after everything else, as lines to copy into the table.
    EXPECT_TRUE(text.err.endsWith("would give the guessed pictures their sizes:\n32,32\n16,16\n"))
        << text.err.toStdString();

    const ExportRun plain = run("size.txt", {"--list", "p.vkp"});
    EXPECT_EQ(QString::fromUtf8(plain.out), QString(listing).replace("~32x32", "Error").replace("~16x16", "Error"));
    EXPECT_TRUE(plain.err.isEmpty()) << plain.err.toStdString();

    const ExportRun json = run("size.txt", {"--list", "--json", "--guess-sizes", "p.vkp"});
    ASSERT_EQ(json.status, 0) << json.err.toStdString();
    EXPECT_TRUE(json.err.endsWith("\n32,32\n16,16\n")) << json.err.toStdString();
    const QJsonArray objects = QJsonDocument::fromJson(json.out).array();
    ASSERT_EQ(objects.size(), 4) << json.out.toStdString();
    EXPECT_FALSE(objects[0].toObject().contains("guesses"));  // its size is the table's
    for (const int i : {1, 2}) {
        const QJsonObject object = objects[i].toObject();
        const QJsonArray guesses = object["guesses"].toArray();
        ASSERT_GE(guesses.size(), 1);
        EXPECT_LE(guesses.size(), 5);
        EXPECT_EQ(guesses[0].toObject(), (QJsonObject{{"width", object["width"]}, {"height", object["height"]}}));
        EXPECT_EQ(object["size"], QStringLiteral("~%1x%2").arg(object["width"].toInt()).arg(object["height"].toInt()));
        for (const QJsonValue guess : guesses) {
            const int width = guess["width"].toInt(), height = guess["height"].toInt();
            EXPECT_EQ(width * height, object["pixels"].toInt());
            EXPECT_EQ(guess.toObject().keys(), (QStringList{"height", "width"}));
        }
    }
    const QJsonObject tiny = objects[3].toObject();
    EXPECT_EQ(tiny["size"], "Error");
    EXPECT_TRUE(tiny["width"].isNull());
    EXPECT_EQ(tiny["guesses"], QJsonArray());
}

TEST_F(GuessSizes, FilesSheetAndThumbnailAreThoseOfTheSuggestedTable) {
    writeBytes(path("suggested.txt"), "46,46\n32,32\n16,16\n");
    const ExportRun guessed = run("size.txt", {"--guess-sizes", "-o", "guessed", "p.vkp"});
    EXPECT_EQ(guessed.status, 1);  // for the picture of 3 pixels only
    EXPECT_TRUE(guessed.err.contains("003 (tiny) has no known size")) << guessed.err.toStdString();
    EXPECT_FALSE(guessed.err.contains("heart")) << guessed.err.toStdString();
    ASSERT_EQ(run("suggested.txt", {"-o", "table", "p.vkp"}).status, 1);
    const QStringList files = QDir(path("table/p")).entryList(QDir::Files);
    ASSERT_EQ(files.size(), 6);
    EXPECT_EQ(QDir(path("guessed/p")).entryList(QDir::Files), files);
    for (const QString& file : files)
        EXPECT_EQ(readBytes(path("guessed/p/" + file)), readBytes(path("table/p/" + file))) << file.toStdString();

    // With no size in the table at all, the thumbnail is only drawn from guesses.
    writeBytes(path("none.txt"), "");
    EXPECT_EQ(run("none.txt", {"--thumbnail", "128", "p.vkp", "guessed.png"}).status, 1);
    ASSERT_EQ(run("none.txt", {"--guess-sizes", "--thumbnail", "128", "p.vkp", "guessed.png"}).status, 0);
    ASSERT_EQ(run("suggested.txt", {"--thumbnail", "128", "p.vkp", "table.png"}).status, 0);
    EXPECT_EQ(QImage(path("guessed.png")), QImage(path("table.png")));

    ASSERT_EQ(run("size.txt", {"--guess-sizes", "--sheet", "sheet.png", "p.vkp"}).status, 1);
    const QImage sheet = QImage(path("sheet.png")).convertToFormat(QImage::Format_RGB32);
    for (const QString& file : files) {
        EXPECT_TRUE(holds(sheet, QImage(path("table/p/" + file)).convertToFormat(QImage::Format_RGB32), 1))
            << file.toStdString();
    }
}

}  // namespace
}  // namespace hexpane::test
