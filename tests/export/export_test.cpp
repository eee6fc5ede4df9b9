// The built hexpane-export end to end: exit statuses, hostile names, no
// overwrite without --force, the JSON listing, and the sheet.
#include <QDir>
#include <QDirIterator>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "run_export.h"

namespace hexpane::test {
namespace {

constexpr const char* kMap = "00 000000\nFF FFFFFF\nA0 0000FF\nB1 00FF00\nC0 FF0000\n";
constexpr const char* kSizes = "2,2\n4,3\n";

class Export : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        writeBytes(path("map.txt"), kMap);
        writeBytes(path("size.txt"), kSizes);
    }

    QString path(const QString& name) const { return dir.filePath(name); }

    ExportRun run(QStringList arguments) {
        arguments << "--map" << path("map.txt") << "--size" << path("size.txt");
        return runExport(arguments, dir.path());
    }

    // Every file and link under folder, hidden ones too, relative to it, sorted.
    static QStringList filesUnder(const QString& folder) {
        QStringList files;
        QDirIterator it(folder, QDir::Files | QDir::System | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) files << QDir(folder).relativeFilePath(it.next());
        files.sort();
        return files;
    }

    QTemporaryDir dir;
};

TEST_F(Export, ExitStatusTellsWhatWasWritten) {
    writeBytes(path("p.vkp"), patchOf({"a", "b"}));
    writeBytes(path("odd.vkp"), patchOf({"a"}) + patchOf({"odd"}, "A0B1C2"));  // three pixels: no size
    writeBytes(path("plain"), "a file, not a folder");
    ASSERT_EQ(mkfifo(QFile::encodeName(path("fifo.vkp")).constData(), 0600), 0);
    const QStringList ab = {"p/000-a-new.bmp", "p/000-a-old.bmp", "p/001-b-new.bmp", "p/001-b-old.bmp"};
    const struct {
        QStringList arguments;
        int status;
        QStringList files;  // written into the output folder
    } cases[] = {
        {{"p.vkp"}, 0, ab},
        {{"--format", "png", "p.vkp"}, 0, {"p/000-a-new.png", "p/000-a-old.png", "p/001-b-new.png", "p/001-b-old.png"}},
        {{"odd.vkp"}, 1, {"odd/000-a-new.bmp", "odd/000-a-old.bmp"}},
        {{"--list", "odd.vkp"}, 0, {}},
        {{"--help"}, 0, {}},
        {{"--version"}, 0, {}},
        {{}, 2, {}},
        {{"--bogus", "p.vkp"}, 2, {}},
        {{"--format", "gif", "p.vkp"}, 2, {}},
        {{"--transparent", "pink", "p.vkp"}, 2, {}},
        {{"--json", "p.vkp"}, 2, {}},
        {{"--zoom", "2", "p.vkp"}, 2, {}},
        {{"--sheet", "s.gif", "p.vkp"}, 2, {}},
        {{"--sheet", "s.png", "--zoom", "0", "p.vkp"}, 2, {}},
        {{"--sheet", "s.png", "p.vkp", "odd.vkp"}, 2, {}},
        {{"p.vkp", "sub/p.vkp"}, 2, {}},  // both would write into p/
        {{"missing.vkp"}, 2, {}},
        {{"."}, 2, {}},
        {{"fifo.vkp"}, 2, {}},
        {{"missing.vkp", "p.vkp"}, 2, ab},  // the readable patch is still written
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const QString out = QStringLiteral("out%1").arg(i);
        const ExportRun result = run(QStringList{"-o", out} + cases[i].arguments);
        const std::string what = cases[i].arguments.join(' ').toStdString();
        EXPECT_EQ(result.status, cases[i].status) << what << "\n" << result.err.toStdString();
        EXPECT_EQ(filesUnder(path(out)), cases[i].files) << what;
        EXPECT_EQ(result.err.isEmpty(), cases[i].status == 0) << what << "\n" << result.err.toStdString();
    }
}

TEST_F(Export, HostileNamesStayInsideTheFolderAndNeverClash) {
    const std::initializer_list<std::string> names = {"../../escape",
                                                      "/etc/passwd",
                                                      ".hidden",
                                                      "-rf",
                                                      "..",
                                                      "dup",
                                                      "other",
                                                      "dup",
                                                      "a/b",
                                                      "a\\b",
                                                      "\xe2\x80\xae"
                                                      "gpj.exe",
                                                      "tab\tand\x1b"
                                                      "esc",
                                                      std::string(300, 'n'),
                                                      "\xff\xfe\xfd"};
    writeBytes(path("hostile.vkp"), patchOf(names));
    const ExportRun result = run({"-o", "out", "hostile.vkp"});
    ASSERT_EQ(result.status, 0) << result.err.toStdString();

    const QStringList written = filesUnder(path("out"));
    EXPECT_EQ(written.size(), qsizetype(2 * names.size()));
    for (const QString& file : written) {
        EXPECT_TRUE(file.startsWith("hostile/")) << file.toStdString();
        const QString name = file.section('/', 1);
        EXPECT_FALSE(name.contains('/') || name.contains('\\')) << file.toStdString();
        EXPECT_LE(name.toUtf8().size(), 3 + 1 + 64 + 8) << file.toStdString();
        for (const QChar c : name) EXPECT_TRUE(c.isPrint() && c != QChar(0x202E)) << file.toStdString();
    }
    EXPECT_EQ(filesUnder(dir.path()).size(), written.size() + 3);  // and the patch and two tables
}

TEST_F(Export, ReplacesNoFileWithoutForce) {
    writeBytes(path("p.vkp"), patchOf({"a", "b"}));
    ASSERT_EQ(run({"p.vkp"}).status, 0);
    writeBytes(path("p/000-a-old.bmp"), "precious");
    ASSERT_TRUE(QFile::remove(path("p/000-a-new.bmp")));
    ASSERT_TRUE(QFile::link(path("elsewhere.bmp"), path("p/000-a-new.bmp")));  // dangling
    ASSERT_TRUE(QFile::remove(path("p/001-b-old.bmp")));

    const ExportRun kept = run({"p.vkp"});
    EXPECT_EQ(kept.status, 1);
    EXPECT_TRUE(kept.err.contains("000-a-old.bmp") && kept.err.contains("000-a-new.bmp")) << kept.err.toStdString();
    EXPECT_EQ(readBytes(path("p/000-a-old.bmp")), "precious");
    EXPECT_FALSE(QFile::exists(path("elsewhere.bmp")));
    EXPECT_EQ(QImage(path("p/001-b-old.bmp")).size(), QSize(2, 2));  // the missing one is written

    EXPECT_EQ(run({"--force", "p.vkp"}).status, 0);
    EXPECT_EQ(QImage(path("p/000-a-old.bmp")).size(), QSize(2, 2));
}

TEST_F(Export, ListsAsTextAndAsJson) {
    writeBytes(path("p.vkp"), patchOf({"a"}) + "##### Picture same\r\n; Picture Data\r\n1: A0B1 A0B1\r\n" +
                                  patchOf({"wide"}, "A0B1C2FFC0B1D3A000B1FFFF") + patchOf({"odd\x1b"}, "A0B1C2"));
    const ExportRun text = run({"--list", "p.vkp"});
    EXPECT_EQ(text.status, 0);
    EXPECT_EQ(text.out.toStdString(),
              "000\ta\t4\t2x2\tchanged\n"
              "001\tsame\t2\tError\tsame\n"
              "002\twide\t12\t4x3\tchanged\n"
              "003\todd<U+001B>\t3\tError\tchanged\n");

    const ExportRun json = run({"--list", "--json", "p.vkp"});
    EXPECT_EQ(json.status, 0);
    QJsonParseError error{};
    const QJsonArray listed = QJsonDocument::fromJson(json.out, &error).array();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << json.out.toStdString();
    ASSERT_EQ(listed.size(), 4);
    const QJsonObject wide = listed[2].toObject();
    EXPECT_EQ(wide["patch"], "p.vkp");
    EXPECT_EQ(wide["index"], 2);
    EXPECT_EQ(wide["name"], "wide");
    EXPECT_EQ(wide["pixels"], 12);
    EXPECT_EQ(wide["size"], "4x3");
    EXPECT_EQ(wide["width"], 4);
    EXPECT_EQ(wide["height"], 3);
    EXPECT_EQ(wide["state"], "changed");
    const QJsonObject same = listed[1].toObject();
    EXPECT_EQ(same["size"], "Error");
    EXPECT_TRUE(same["width"].isNull() && same["height"].isNull());
    EXPECT_EQ(same["state"], "same");
    EXPECT_EQ(listed[3].toObject()["name"], "odd<U+001B>");
}

// Where zoom × image lies in sheet, pixel for pixel, anywhere.
bool holds(const QImage& sheet, const QImage& image, int zoom) {
    const int w = image.width() * zoom, h = image.height() * zoom;
    for (int y = 0; y + h <= sheet.height(); ++y) {
        for (int x = 0; x + w <= sheet.width(); ++x) {
            bool same = true;
            for (int j = 0; j < h && same; ++j)
                for (int i = 0; i < w && same; ++i) same = sheet.pixel(x + i, y + j) == image.pixel(i / zoom, j / zoom);
            if (same) return true;
        }
    }
    return false;
}

TEST_F(Export, TheSheetHoldsEveryDrawingPixelForPixel) {
    const QString data = QStringLiteral(HEXPANE_SOURCE_DIR "/data/");
    const QStringList tables = {"--map", data + "map.txt", "--size", data + "size.txt"};
    const QString sample = QStringLiteral(HEXPANE_SOURCE_DIR "/examples/sample.vkp");
    ASSERT_EQ(runExport(tables + QStringList{"-o", "out", sample}, dir.path()).status, 0);
    const QStringList drawings = filesUnder(path("out"));
    ASSERT_EQ(drawings.size(), 6);
    qunsetenv("XDG_RUNTIME_DIR");  // as on a build machine, which must get no warning about it
    for (const auto& [zoom, sheetName] : {std::pair{1, "sheet.png"}, std::pair{2, "sheet.bmp"}}) {
        const ExportRun result =
            runExport(tables + QStringList{"--sheet", sheetName, "--zoom", QString::number(zoom), sample}, dir.path());
        ASSERT_EQ(result.status, 0) << result.err.toStdString();
        EXPECT_EQ(result.err.toStdString(), "");
        const QImage sheet = QImage(path(sheetName)).convertToFormat(QImage::Format_RGB32);
        for (const QString& drawing : drawings) {
            EXPECT_TRUE(holds(sheet, QImage(path("out/" + drawing)).convertToFormat(QImage::Format_RGB32), zoom))
                << drawing.toStdString() << " at zoom " << zoom;
        }
    }
}

}  // namespace
}  // namespace hexpane::test
