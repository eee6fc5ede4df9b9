// The listing against the patch reader: the JSON listing says what the text
// listing says, whatever the names hold, and the start of a patch read for
// its first pictures gives the patch's first pictures exactly.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>

#include "export/listing.h"
#include "export/patch_input.h"
#include "run_export.h"

namespace hexpane::test {
namespace {

TEST(Listing, TheJsonListingSaysWhatTheTextListingSays) {
    QTemporaryDir dir;
    writeBytes(dir.filePath("size.txt"), "2,2\n");
    writeBytes(dir.filePath("p\"\\.vkp"), patchOf({"plain", "quote\"", "back\\slash", "\"}]", "tab\tnul", "\xff\xfe",
                                                   "\xe2\x80\xae"
                                                   "rtl",
                                                   std::string(500, 'x')}) +
                                              patchOf({"odd"}, "A0B1C2") + "; Picture Data\r\n1: A0 A0\r\n");
    const QStringList arguments = {"--size", "size.txt", "--list", "p\"\\.vkp"};
    const ExportRun text = runExport(arguments, dir.path());
    const ExportRun json = runExport(arguments + QStringList{"--json"}, dir.path());
    ASSERT_EQ(text.status, 0) << text.err.toStdString();
    ASSERT_EQ(json.status, 0) << json.err.toStdString();
    QJsonParseError error{};
    const QJsonArray objects = QJsonDocument::fromJson(json.out, &error).array();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << json.out.toStdString();
    const QStringList lines = QString::fromUtf8(text.out).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), objects.size());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QStringList fields = lines[i].split(u'\t');
        const QJsonObject object = objects[i].toObject();
        ASSERT_EQ(fields.size(), 5) << lines[i].toStdString();
        EXPECT_EQ(object["patch"].toString(), "p\"\\.vkp");
        EXPECT_EQ(object["index"].toInt(), fields[0].toInt());
        EXPECT_EQ(object["name"].toString(), fields[1]);
        EXPECT_EQ(object["pixels"].toInteger(), fields[2].toLongLong());
        EXPECT_EQ(object["size"].toString(), fields[3]);
        EXPECT_EQ(object["width"].isNull(), fields[3] == "Error");
        EXPECT_EQ(object["state"].toString(), fields[4]);
    }
}

// Lines of every kind the reader knows, with every kind of line end.
std::string randomPatch(std::mt19937& random) {
    const char* ends[] = {"\r\n", "\r", "\n"};
    const char* lines[] = {"##### Picture a",
                           "##### Picture b 1x1",
                           "; Picture Data",
                           "; comment",
                           "",
                           "   ",
                           "0: 0102",
                           "1: 03 0405",
                           "2: 06 07 08",
                           "no colon",
                           "; Picture Data ##### Picture c"};
    std::string patch;
    while (patch.size() < 200'000) {
        patch += lines[random() % std::size(lines)];
        patch += ends[random() % std::size(ends)];
    }
    return patch;
}

TEST(Listing, AStartOfAPatchGivesItsFirstPicturesExactly) {
    QTemporaryDir dir;
    std::mt19937 random(11);
    for (int round = 0; round < 40; ++round) {
        const std::string patch = randomPatch(random);
        writeBytes(dir.filePath("p.vkp"), patch);
        std::istringstream in(patch);
        const std::vector<PictureRecord> whole = readPatch(in);
        const std::uint64_t limit = round == 0 ? patch.size() : 1 + random() % patch.size();
        const bool enoughAtOnce = random() % 2 == 0;
        Report report;
        const auto first = readFirstPictures(
            dir.filePath("p.vkp"), limit, [&](const auto&) { return enoughAtOnce; }, report);
        ASSERT_TRUE(first.has_value());
        ASSERT_LE(first->count, whole.size());
        ASSERT_LE(first->count, first->pictures.size());
        if (limit >= patch.size() && !enoughAtOnce) {
            EXPECT_EQ(first->count, whole.size());
        }
        for (std::size_t i = 0; i < first->count; ++i) {
            const PictureText found = first->pictures[i];
            EXPECT_EQ(found.name, whole[i].name) << i;
            EXPECT_EQ(found.oldHex, whole[i].oldHex) << i;
            EXPECT_EQ(found.newHex, whole[i].newHex) << i;
        }
    }
}

}  // namespace
}  // namespace hexpane::test
