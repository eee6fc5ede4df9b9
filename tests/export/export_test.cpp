// The built hexpane-export end to end: exit statuses, hostile names and
// paths, no overwrite without --force, the JSON listing, the sheet, and runs
// where standard output, memory or threads fail.
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "export/picture_files.h"
#include "run_export.h"
#include "text/picture_file_names.h"

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
        {{"--thumbnail", "15", "p.vkp", "t.png"}, 2, {}},
        {{"--thumbnail", "4097", "p.vkp", "t.png"}, 2, {}},
        {{"--thumbnail", "6.4e1", "p.vkp", "t.png"}, 2, {}},
        {{"--thumbnail", "64", "p.vkp"}, 2, {}},
        {{"--thumbnail", "64", "--list", "p.vkp", "t.png"}, 2, {}},
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

TEST_F(Export, WhatStandardOutputLosesIsReported) {
    std::string many;
    for (int i = 0; i < 3000; ++i) many += patchOf({"p" + std::to_string(i)});
    writeBytes(path("many.vkp"), many);
    const struct {
        QStringList arguments;
        RunSetup setup;
        int status;
    } cases[] = {
        {{"--list", "many.vkp"}, {"> /dev/full", {}}, 1},
        {{"--list", "--json", "many.vkp"}, {"> /dev/full", {}}, 1},
        {{"--help"}, {"> /dev/full", {}}, 1},
        {{"--version"}, {"> /dev/full", {}}, 1},
        {{"--version"}, {">&-", {}}, 1},
        {{"--list", "many.vkp"}, limited(RLIMIT_FSIZE, 1000, "> listed.txt"), 1},
        {{"--list", "many.vkp"}, limited(RLIMIT_FSIZE, 20'000, "> listed.txt"), 1},
        {{"--list", "many.vkp"}, limited(RLIMIT_FSIZE, 1'000'000, "> listed.txt"), 0},
    };
    for (const auto& c : cases) {
        const ExportRun result = runExport(c.arguments, dir.path(), c.setup);
        const std::string what = c.arguments.join(' ').toStdString() + " " + c.setup.redirect.toStdString();
        EXPECT_EQ(result.status, c.status) << what;
        EXPECT_EQ(result.err.contains("to standard output"), c.status == 1) << what << "\n" << result.err.toStdString();
    }
}

// Under any limit on its memory, a run ends with a status and, when it is not
// 0, says why, and what it reported before stays reported; it never aborts.
TEST_F(Export, RunningOutOfMemoryIsReportedNeverFatal) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer needs more address space than the limits here leave";
#endif
    constexpr int kSide = 2048;
    writeBytes(path("sizes.txt"), std::to_string(kSide) + "," + std::to_string(kSide) + "\n");
    std::string big = patchOf({"odd"}, "A0B1C2") + "##### Picture big\r\n; Picture Data\r\n";
    const std::string line = "0: " + std::string(128, 'A') + "\r\n";
    for (int i = 0; i < kSide * kSide / 64; ++i) big += line;
    writeBytes(path("big.vkp"), big);
    std::string tiny;
    for (int i = 0; i < 200'000; ++i) tiny += "; Picture Data\r\n0000: 00 01\r\n";
    writeBytes(path("tiny.vkp"), tiny);
    const QStringList tables = {"--map", path("map.txt"), "--size", path("sizes.txt")};
    const struct {
        QStringList arguments;
        int done;               // the status with memory enough
        const char* toldFirst;  // reported before any drawing, so always once the patch is read
    } cases[] = {
        {{"-o", "out", "--force", "big.vkp"}, 1, "has no known size"},
        {{"--sheet", "sheet.png", "--force", "big.vkp"}, 1, "has no known size"},
        {{"--thumbnail", "256", "--force", "big.vkp", "thumbnail.png"}, 0, nullptr},
        {{"--list", "--json", "tiny.vkp"}, 0, nullptr},
    };
    bool allDone = false;
    for (rlim_t mib = 64; mib < 1024 && !allDone; mib += 12) {
        if (runExport({"--version"}, dir.path(), limited(RLIMIT_AS, mib << 20)).status != 0)
            continue;  // too little to load
        allDone = true;
        for (const auto& c : cases) {
            const ExportRun result = runExport(tables + c.arguments, dir.path(), limited(RLIMIT_AS, mib << 20));
            const std::string what = c.arguments.join(' ').toStdString() + " in " + std::to_string(mib) + " MiB\n" +
                                     result.err.toStdString();
            ASSERT_TRUE(result.status >= 0 && result.status <= 2) << what;
            const bool lacking = result.err.contains("memory");
            allDone = allDone && !lacking;
            EXPECT_EQ(result.status, lacking ? std::max(result.status, 1) : c.done) << what;
            if (c.toldFirst && !result.err.contains("Cannot read")) {
                EXPECT_TRUE(result.err.contains(c.toldFirst)) << what;
            }
        }
    }
    EXPECT_TRUE(allDone) << "no limit under 1 GiB let every run finish";
}

// Where no thread can be started, the calling thread writes every file.
TEST_F(Export, WritesWithoutThreadsWhereNoneCanStart) {
    writeBytes(path("p.vkp"), patchOf({"a", "b", "c", "d", "e"}));
    ASSERT_EQ(chmod(QFile::encodeName(dir.path()).constData(), 0777), 0);
    const RunSetup oneProcess{{}, [] {
                                  const rlimit one{1, 1};
                                  setrlimit(RLIMIT_NPROC, &one);
                                  if (getuid() != 0) return;  // the limit does not bind root: be somebody else
                                  setgroups(0, nullptr);
                                  if (setgid(65534) != 0 || setuid(65534) != 0) _exit(99);
                              }};
#if defined(__SANITIZE_ADDRESS__)
    // The leak check at exit runs on a thread of its own, which cannot start here either.
    const QByteArray sanitizer = qgetenv("ASAN_OPTIONS");
    qputenv("ASAN_OPTIONS", sanitizer + ":detect_leaks=0");
#endif
    const ExportRun result =
        runExport({"-o", "out", "--map", "map.txt", "--size", "size.txt", "p.vkp"}, dir.path(), oneProcess);
#if defined(__SANITIZE_ADDRESS__)
    qputenv("ASAN_OPTIONS", sanitizer);
#endif
    EXPECT_EQ(result.status, 0) << result.err.toStdString();
    EXPECT_EQ(filesUnder(path("out")).size(), 10);
}

// stat on the path's very bytes, relative to the test's folder.
bool existsAsBytes(const QTemporaryDir& dir, const QByteArray& bytes) {
    struct stat status {};
    return ::stat(QFile::encodeName(dir.path()) + '/' + bytes, &status) == 0;
}

TEST_F(Export, PathsReachTheFileSystemByteForByte) {
    const QByteArray patch = "\xcf\xf0\xe8.vkp", map = "map\xfe.txt", size = "size\xfd.txt";
    for (const auto& [name, content] :
         {std::pair{patch, patchOf({"a"})}, std::pair{map, std::string(kMap)}, std::pair{size, std::string(kSizes)}}) {
        writeBytes(path("content"), content);
        ASSERT_EQ(::rename(QFile::encodeName(path("content")), QFile::encodeName(dir.path()) + '/' + name), 0);
    }
    const QStringList tables = {"--map", pathFromBytes(map), "--size", pathFromBytes(size)};
    const struct {
        QStringList arguments;
        QByteArray written;  // a file the run makes
        QByteArray shown;    // a text its output holds
    } cases[] = {
        {{"-o", pathFromBytes("out\xff"), pathFromBytes(patch)}, "out\xff/\xd0\x9f\xd1\x80\xd0\xb8/000-a-new.bmp", ""},
        {{"--sheet", pathFromBytes("sheet\xfc.png"), pathFromBytes(patch)}, "sheet\xfc.png", ""},
        {{"--thumbnail", "64", pathFromBytes(patch), pathFromBytes("thumb\xfb.png")}, "thumb\xfb.png", ""},
        {{"--list", pathFromBytes(patch), pathFromBytes(patch)}, "", "\\xCF\\xF0\\xE8.vkp:\n000\ta\t4\t2x2"},
        {{"--list", pathFromBytes("gone\xcf.vkp")}, "", "gone\\xCF.vkp"},
    };
    for (const auto& c : cases) {
        const ExportRun result = runExport(tables + c.arguments, dir.path());
        const std::string what = pathBytes(c.arguments.join(' ')).toStdString();
        if (!c.written.isEmpty()) {
            EXPECT_EQ(result.status, 0) << what << "\n" << result.err.toStdString();
            EXPECT_TRUE(existsAsBytes(dir, c.written)) << what;
        }
        EXPECT_TRUE((result.out + result.err).contains(c.shown)) << what << "\n"
                                                                 << (result.out + result.err).toStdString();
    }
    // QTemporaryDir cannot remove names that are not UTF-8.
    for (const auto& entry : std::filesystem::directory_iterator(QFile::encodeName(dir.path()).toStdString()))
        std::filesystem::remove_all(entry.path());
}

// Neither a listing nor a message carries a control character as it is, so
// no path or argument can steer the terminal that shows it.
TEST_F(Export, NoControlCharacterReachesTheTerminal) {
    writeBytes(path("\x1b[2Jx.vkp"), patchOf({"a"}) + patchOf({"odd"}, "A0B1C2"));
    const QStringList cases[] = {
        {"--list", "\x1b[2Jx.vkp", "\x1b[2Jx.vkp"},
        {"--list", "--json", "\x1b[2Jx.vkp"},
        {"-o", "out", "\x1b[2Jx.vkp"},
        {"--list", "\x1b]0;title\x07.vkp"},
        {"--map", "\x1b[31m.txt", "--list", "\x1b[2Jx.vkp"},
        {"--\x1b[1m", "\x1b[2Jx.vkp"},
    };
    for (const QStringList& arguments : cases) {
        const ExportRun result = runExport(arguments, dir.path());  // the tables beside the program
        const QByteArray shown = result.out + result.err;
        EXPECT_TRUE(shown.contains("<U+001B>")) << shown.toStdString();
        for (const char c : shown) {
            EXPECT_FALSE((c >= 0 && c < 0x20 && c != '\n' && c != '\t') || c == 0x7F)
                << int(c) << " in " << shown.toStdString();
        }
    }
}

// The listing's name and the file name come from one decoding of all of the
// name's bytes, even where a file name needs only the start of them.
TEST_F(Export, TheListingAndTheFileNameDecodeANameAlike) {
    std::string name;
    for (int i = 0; i < 130; ++i) name += "\xc3\xa9";  // UTF-8 for 260 bytes...
    name += "\xff";                                    // ...then a byte that is not
    writeBytes(path("p.vkp"), patchOf({name}));
    const ExportRun listed = run({"--list", "p.vkp"});
    ASSERT_EQ(run({"-o", "out", "p.vkp"}).status, 0);
    const QString listedName = QString::fromUtf8(listed.out).section(u'\t', 1, 1);
    EXPECT_EQ(filesUnder(path("out")).first(), "p/000-" + safeName(listedName.toStdString()) + "-new.bmp");
}

// A table named on the command line that cannot be read stops the run before
// anything is written: a mistyped name would draw every picture wrong.
TEST_F(Export, ATableNamedButUnreadableStopsTheRun) {
    writeBytes(path("p.vkp"), patchOf({"a"}));
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.txt"));
    ASSERT_EQ(mkfifo(QFile::encodeName(path("fifo.txt")).constData(), 0600), 0);
    const QStringList before = filesUnder(dir.path());
    const QStringList tasks[] = {{"-o", "out"}, {"--list"}, {"--sheet", "s.png"}, {"--thumbnail", "64"}};
    for (const bool map : {true, false}) {
        for (const char* table : {"missing.txt", "folder.txt", "fifo.txt"}) {
            const QStringList tables = {"--map", map ? table : "map.txt", "--size", map ? "size.txt" : table};
            for (const QStringList& task : tasks) {
                QStringList arguments = tables + task + QStringList{"p.vkp"};
                if (task.first() == "--thumbnail") arguments << "t.png";
                const ExportRun result = runExport(arguments, dir.path());
                const std::string what = arguments.join(' ').toStdString();
                EXPECT_EQ(result.status, 2) << what;
                EXPECT_TRUE(result.err.contains(table)) << what << "\n" << result.err.toStdString();
                EXPECT_TRUE(result.out.isEmpty()) << what;
                EXPECT_EQ(filesUnder(dir.path()), before) << what;
                EXPECT_FALSE(QFileInfo::exists(path("out"))) << what;
            }
        }
    }
}

}  // namespace
}  // namespace hexpane::test
