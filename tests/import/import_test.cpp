// The built hexpane-import end to end, with hexpane-export making the images:
// the round trip on generated patches of every line-end kind and shape, each
// refusal, --nearest, --dry-run and --force in place.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <random>
#include <sstream>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "import/import_fixture.h"
#include "import/run.h"

namespace hexpane::test {
namespace {

// ---- The round trip ----

constexpr const char* kSizes = "3,2\n5,3\n4,4\n7,1\n1,9\n";  // 6, 15, 16, 7 and 9 pixels
constexpr int kTableCounts = 5;
constexpr int kPixelCounts[] = {6, 15, 16, 7, 9, 12, 20};  // the last without a size: drawn at a guess

// The image's pixels in the order the text holds them: row by row.
std::vector<QRgb> inTextOrder(const QImage& image) {
    std::vector<QRgb> pixels;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) pixels.push_back(image.pixel(x, y));
    return pixels;
}

// The same pixels in the same order, `width` to a row.
QImage reshaped(const QImage& image, int width) {
    const std::vector<QRgb> pixels = inTextOrder(image);
    QImage shaped(width, int(pixels.size()) / width, image.format());
    for (std::size_t k = 0; k < pixels.size(); ++k) shaped.setPixel(int(k) % width, int(k) / width, pixels[k]);
    return shaped;
}

std::string hexDigits(std::mt19937& random, std::size_t count, bool lowerCase) {
    // Named, not indexed in place: GCC 12's UndefinedBehaviorSanitizer reads the
    // same index again for each character of (a ? "..." : "...")[i].
    const char* set = lowerCase ? "0123456789abcdef" : "0123456789ABCDEF";
    std::string digits;
    for (std::size_t i = 0; i < count; ++i) digits += set[random() % 16];
    return digits;
}

// A colour table with codes missing (drawn black), colours shared by several
// codes, and some that C0's options also draw.
std::string randomMap(std::mt19937& random) {
    const char* shared[] = {"000000", "EFEFEF", "EBEBD0", "FFFFFF"};
    std::string map;
    for (unsigned value = 0; value < 256; ++value) {
        if (random() % 8 == 0) continue;
        const char code[] = {"0123456789ABCDEF"[value >> 4], "0123456789ABCDEF"[value & 15], ' ', '\0'};
        map += code + (random() % 5 == 0 ? std::string(shared[random() % 4]) : hexDigits(random, 6, false)) + "\n";
    }
    return map;
}

// New text for `size` characters of a data line: hex digits in the picture's
// case, now and then another case or a character no code has, and inner
// spaces where `spaces` (never first or last, which the reader would trim).
std::string newRun(std::mt19937& random, std::size_t size, bool lowerCase, bool spaces) {
    std::string run;
    for (std::size_t i = 0; i < size; ++i) {
        const auto kind = random() % 20;
        if (spaces && kind == 0 && i > 0 && i + 1 < size) {
            run += ' ';
        } else if (kind == 1) {
            run += "Zg~"[random() % 3];
        } else {
            run += hexDigits(random, 1, kind == 2 ? !lowerCase : lowerCase);
        }
    }
    return run;
}

// Pictures of the table's sizes whose new text is cut into data lines of
// random length, so that pixels straddle lines; lines of one run, of two and
// of three (an inner space); names that repeat; odd-length texts.
std::string randomPatch(std::mt19937& random, const std::string& end) {
    const char* names[] = {"logo", "logo", "icon", ""};
    std::string file = "; generated" + end + end;
    for (int picture = 0, pictures = 2 + int(random() % 4); picture < pictures; ++picture) {
        file += "##### Picture " + std::string(names[random() % 4]) + " 1x1" + end + "; Picture Data" + end;
        const bool lowerCase = random() % 3 == 0;
        const std::size_t pixels = std::size_t(kPixelCounts[random() % std::size(kPixelCounts)]);
        std::size_t left = 2 * pixels + random() % 2;  // odd now and then
        for (unsigned address = 0; left > 0; ++address) {
            const std::size_t size = std::min<std::size_t>(left, 1 + random() % 9);
            left -= size;
            const auto shape = random() % 4;
            file += std::to_string(address) + ":" + std::string(1 + random() % 2, ' ');
            if (shape == 0) {
                file += newRun(random, size, lowerCase, false);
            } else {
                file += hexDigits(random, 1 + random() % 8, lowerCase);
                file += std::string(1 + random() % 3, ' ');
                file += newRun(random, size, lowerCase, shape == 1);
                file += std::string(random() % 2, ' ');
            }
            file += end;
        }
        file += "; end" + end + end;
    }
    return file;
}

struct RoundTrip {
    const char* name;
    std::string lineEnd;
};

void PrintTo(const RoundTrip& roundTrip, std::ostream* out) { *out << roundTrip.name; }

std::string roundTripName(const testing::TestParamInfo<RoundTrip>& roundTrip) { return roundTrip.param.name; }

class ImportRoundTrip : public Import, public testing::WithParamInterface<RoundTrip> {
protected:
    // Changes random pixels of every new image in out/p to colours that codes
    // draw, or (PNG) to full transparency, into edit/; what each should then
    // draw is left in expected, by file name. An image whose picture has no
    // size in the table is now and then saved with another width, its pixels
    // in the same order.
    void editImages(std::mt19937& random, TransparentColour option, std::map<QString, QImage>& expected) {
        QDir().mkpath(path("edit"));
        for (const QString& name : QDir(path("out/p")).entryList({"*-new.*"})) {
            QImage image = QImage(path("out/p/" + name)).convertToFormat(QImage::Format_ARGB32);
            QImage drawnImage = image.convertToFormat(QImage::Format_RGB32);
            const bool png = name.endsWith(".png");
            for (int k = 0, changes = random() % 4 == 0 ? 0 : int(1 + random() % 3); k < changes; ++k) {
                const int x = int(random() % unsigned(image.width())), y = int(random() % unsigned(image.height()));
                const bool clear = png && random() % 4 == 0;
                const std::string code = clear ? "C0" : hexDigits(random, 2, random() % 2 == 0);
                image.setPixel(x, y, clear ? qRgba(0, 0, 0, 0) : drawn(code, option));
                drawnImage.setPixel(x, y, drawn(code, option));
            }
            QImage saved = png ? image : drawnImage;
            const int pixels = image.width() * image.height();
            const int width = 1 + int(random() % unsigned(pixels));
            if (std::find(kPixelCounts, kPixelCounts + kTableCounts, pixels) == kPixelCounts + kTableCounts &&
                pixels % width == 0)
                saved = reshaped(saved, width);
            ASSERT_TRUE(saved.save(path("edit/" + name)));
            expected[name] = drawnImage;
        }
    }
};

// Exported unchanged, a patch comes back byte for byte; edited, exactly the
// characters of the pixels whose colour changed differ, and the written patch
// draws the edited images.
TEST_P(ImportRoundTrip, GivesBackExactlyWhatWasDrawn) {
    std::mt19937 random(std::hash<std::string>{}(GetParam().name));
    const char* options[] = {"form", "phone", "standard"};
    std::size_t changedPictures = 0;
    for (int round = 0; round < 6; ++round) {
        const int option = round % 3;
        SCOPED_TRACE(options[option]);
        writeTables(randomMap(random), kSizes);
        const std::string patch = randomPatch(random, GetParam().lineEnd);
        writeBytes(path("p.vkp"), patch);
        const QStringList drawing = {"--transparent", options[option]};
        for (const char* folder : {"out", "edit", "again"}) QDir(path(QLatin1String(folder))).removeRecursively();
        QFile::remove(path("same.vkp"));
        QFile::remove(path("edited.vkp"));
        const QString format = random() % 2 ? "png" : "bmp";
        ASSERT_EQ(exportRun(drawing + QStringList{"--guess-sizes", "--format", format, "-o", "out", "p.vkp"}).status,
                  0);

        const ExportRun same = importRun(drawing + QStringList{"p.vkp", "out/p", "-o", "same.vkp"});
        ASSERT_EQ(same.status, 0) << same.err.toStdString();
        EXPECT_EQ(readBytes(path("same.vkp")).toStdString(), patch);
        EXPECT_FALSE(same.err.contains("pixel")) << same.err.toStdString();

        std::map<QString, QImage> expected;
        editImages(random, TransparentColour(option), expected);
        const ExportRun edited = importRun(drawing + QStringList{"p.vkp", "edit", "-o", "edited.vkp"});
        ASSERT_EQ(edited.status, 0) << edited.err.toStdString();
        changedPictures += std::size_t(edited.err.count("changed") - edited.err.count("unchanged"));

        // An edited picture without a size may be guessed another shape: its pixels stay in order.
        ASSERT_EQ(exportRun(drawing + QStringList{"--guess-sizes", "-o", "again", "edited.vkp"}).status, 0);
        for (const auto& [name, image] : expected) {
            const QString again = QString(name).replace(".png", ".bmp");
            EXPECT_EQ(inTextOrder(rgb(path("again/edited/" + again))), inTextOrder(image)) << name.toStdString();
        }

        // The texts differ where the colour does, and the file only there.
        const LocatedPatch before = located(QByteArray::fromStdString(patch));
        const LocatedPatch after = located(readBytes(path("edited.vkp")));
        ASSERT_EQ(after.pictures.size(), before.pictures.size());
        std::string file = patch;
        for (std::size_t i = 0; i < before.pictures.size(); ++i) {
            const PictureRecord &old = before.pictures[i], &now = after.pictures[i];
            EXPECT_EQ(now.name, old.name);
            EXPECT_EQ(now.oldHex, old.oldHex);
            ASSERT_EQ(now.newHex.size(), old.newHex.size());
            const auto found = std::find_if(expected.begin(), expected.end(), [&](const auto& entry) {
                return entry.first.startsWith(QStringLiteral("%1-").arg(i, 3, 10, QLatin1Char('0')));
            });
            ASSERT_NE(found, expected.end());
            const QImage original = rgb(path("out/p/" + found->first));
            // Written in lower case where the text has lower-case letters and no
            // upper-case ones, unless that case draws otherwise.
            const auto has = [&](int (*isCase)(int)) {
                return std::any_of(old.newHex.begin(), old.newHex.end(), [&](char c) { return isCase(c) != 0; });
            };
            const bool lowerCase = has(std::islower) && !has(std::isupper);
            const int width = original.width(), pixels = width * original.height();
            for (int k = 0; 2 * std::size_t(k) < old.newHex.size(); ++k) {
                const bool colourChanged =
                    k < pixels && original.pixel(k % width, k / width) != found->second.pixel(k % width, k / width);
                const std::string code = now.newHex.substr(2 * std::size_t(k), 2);
                EXPECT_EQ(code != old.newHex.substr(2 * std::size_t(k), 2), colourChanged)
                    << "picture " << i << " pixel " << k;
                std::string inCase = code;
                for (char& c : inCase) c = char(lowerCase ? std::tolower(c) : std::toupper(c));
                if (colourChanged && inCase != code) {
                    EXPECT_NE(drawn(inCase, TransparentColour(option)), drawn(code, TransparentColour(option)))
                        << code << " in picture " << i;
                }
            }
            for (const NewTextRun& run : before.newTextRuns[i])
                file.replace(run.streamOffset, run.length, now.newHex, run.textOffset, run.length);
        }
        EXPECT_EQ(readBytes(path("edited.vkp")).toStdString(), file);
    }
    EXPECT_GE(changedPictures, 6u);
}

INSTANTIATE_TEST_SUITE_P(LineEnds, ImportRoundTrip,
                         testing::Values(RoundTrip{"CrLf", "\r\n"}, RoundTrip{"Cr", "\r"}, RoundTrip{"Lf", "\n"}),
                         roundTripName);

// ---- Refusals and options ----

TEST_F(ImportChecks, RefusesWhatCannotBeImportedAndWritesNothing) {
    QImage(3, 3, QImage::Format_RGB32).save(path("in/000-big-new.bmp"));
    QImage(2, 1, QImage::Format_RGB32).save(path("in/003-none-new.bmp"));  // any shape of its 1 pixel would do
    writeBytes(path("in/000-text-new.bmp"), "not an image");
    QDir().mkpath(path("unreadable"));
    QFile::copy(path("in/000-text-new.bmp"), path("unreadable/000-text-new.bmp"));
    writeBytes(path("in/000-a-new.gif"), "GIF89a");
    writeBytes(path("kept.vkp"), "precious");
    QDir().mkpath(path("empty"));
    QFile::link("000-loop-new.bmp", path("in/000-loop-new.bmp"));
    QFile::copy(path("out/p/000-a-new.bmp"), path("in/000-a-OLD.bmp"));
    const QString red = edited("000-a-new.bmp", 0, 0, drawnCode("A0"), "000-red-new.bmp");
    const struct {
        QStringList arguments;
        int status;
        QStringList told;  // on standard error, each
    } cases[] = {
        {{"in/000-big-new.bmp"}, 1, {"3x3", "2x2"}},
        {{edited("000-a-new.bmp", 1, 0, qRgb(0xAB, 0xCD, 0xEF), "000-odd-colour-new.bmp")}, 1, {"(1, 0) #ABCDEF"}},
        {{edited("000-a-new.bmp", 1, 1, qRgba(255, 0, 0, 128), "000-alpha-new.png")},
         1,
         {"partly transparent", "(1, 1)"}},
        {{edited("002-odd-new.bmp", 1, 1, drawnCode("A0"))}, 1, {"no two characters in the patch", "(1, 1)"}},
        {{"out/p/000-a-old.bmp"}, 1, {"old image"}},
        {{"in/003-none-new.bmp"}, 1, {"it is 2x1, but picture 003 (none) has no size in size.txt", ", 1."}},
        {{red, "-o", "kept.vkp"}, 1, {"kept.vkp exists"}},
        {{"out/p/000-a-new.bmp", red}, 1, {"both for picture 000"}},
        {{edited("000-a-new.bmp", 0, 0, drawnCode("B1"), "009-a-new.bmp")}, 1, {"no picture of that index"}},
        {{"in/000-a-new.gif"}, 1, {".bmp and .png"}},
        {{"empty"}, 1, {"holds no image"}},
        {{"in/000-big-new.bmp", "in/003-none-new.bmp"}, 1, {"3x3", "no size"}},  // every problem is told
        {{"in/000-text-new.bmp"}, 2, {"cannot read it"}},
        {{"in/missing.gif"}, 2, {"No such file or directory"}},  // what it is, before what its name says
        {{"in/004-missing-new.bmp"}, 2, {"No such file or directory"}},
        {{"in/000-loop-new.bmp"}, 2, {"symbolic links"}},
        {{"/dev/zero"}, 2, {"a device, not a regular file"}},
        {{"in/000-a-OLD.bmp"}, 1, {"old image"}},
        {{"unreadable"}, 2, {"cannot read it"}},
    };
    for (const auto& [arguments, status, told] : cases) {
        QStringList line = QStringList{"p.vkp"} + arguments;
        if (!line.contains("-o"))
            line << "-o"
                 << "o.vkp";
        const ExportRun run = importRun(line);
        const std::string what = line.join(' ').toStdString();
        EXPECT_EQ(run.status, status) << what << "\n" << run.err.toStdString();
        for (const QString& text : told)
            EXPECT_TRUE(run.err.contains(text.toUtf8())) << what << "\n" << run.err.toStdString();
        EXPECT_TRUE(run.err.contains("Nothing was written.")) << what;
        EXPECT_FALSE(QFile::exists(path("o.vkp"))) << what;
        for (const QByteArray& said : run.err.trimmed().split('\n'))  // the libraries' words only within the program's
            EXPECT_TRUE(said.startsWith("hexpane-import: ")) << what << "\n" << said.toStdString();
    }
    EXPECT_EQ(readBytes(path("kept.vkp")), "precious");

    for (const QStringList& bad : {QStringList{"p.vkp", "out/p"}, QStringList{"p.vkp", "-o", "o.vkp"},
                                   QStringList{"--transparent", "pink", "p.vkp", "out/p", "-o", "o.vkp"},
                                   QStringList{"missing.vkp", "out/p", "-o", "o.vkp"}}) {
        EXPECT_EQ(importRun(bad).status, 2) << bad.join(' ').toStdString();
        EXPECT_FALSE(QFile::exists(path("o.vkp")));
    }
    // Standard output is checked, and an argument quoted in a message cannot steer a terminal.
    const ExportRun help =
        runProgram(QStringLiteral(HEXPANE_IMPORT_PROGRAM), {"--help"}, dir.path(), {"> /dev/full", {}});
    EXPECT_EQ(help.status, 1);
    EXPECT_TRUE(help.err.contains("Cannot write the help")) << help.err.toStdString();
    const ExportRun steering = importRun({"--\x1b[2J"});
    EXPECT_EQ(steering.status, 2);
    EXPECT_TRUE(steering.err.contains("<U+001B>[2J")) << steering.err.toStdString();
}

TEST_F(ImportChecks, NearestGivesAColourNoCodeDrawsTheNearestCode) {
    const QString image = edited("000-a-new.bmp", 1, 1, drawnCode("A0") ^ 0x010203);
    EXPECT_EQ(importRun({"p.vkp", image, "-o", "o.vkp"}).status, 1);
    const ExportRun run = importRun({"--nearest", "p.vkp", image, "-o", "o.vkp"});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("000 a: 1 pixel changed, 1 of them approximated")) << run.err.toStdString();
    ASSERT_EQ(exportRun({"-o", "again", "o.vkp"}).status, 1);
    EXPECT_EQ(rgb(path("again/o/000-a-new.bmp")).pixel(1, 1), drawnCode("A0"));
}

// A dry run checks what the run would check before writing, the output too,
// and ends with the run's status; it writes nothing.
TEST_F(ImportChecks, ADryRunEndsAsTheRunWould) {
    const QString image = edited("001-b-new.bmp", 0, 1, drawnCode("FF"));
    ASSERT_TRUE(QDir().mkpath(path("folder")));
    ASSERT_TRUE(QDir().mkpath(path("locked")));
    ASSERT_EQ(mkfifo(QFile::encodeName(path("fifo.vkp")).constData(), 0600), 0);
    // Root passes every permission check: the runs into a locked folder are somebody else's.
    ASSERT_EQ(chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    ASSERT_EQ(chmod(QFile::encodeName(path("locked")).constData(), 0555), 0);
    const RunSetup nobody{{}, [] {
                              if (getuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(99);
                          }};
    const struct {
        const char* what;
        QString output;
        QStringList options;
        int status;
        const char* told;
        RunSetup setup;
    } cases[] = {
        {"a new file", "o.vkp", {}, 0, "1 pixel changed", {}},
        {"a file that exists", "kept.vkp", {}, 1, "exists", {}},
        {"a file that exists, replaced", "kept.vkp", {"--force"}, 0, "1 pixel changed", {}},
        {"a read-only file", "read-only.vkp", {"--force"}, 1, "read-only", {}},
        {"a missing folder", "missing/o.vkp", {}, 1, "No such file or directory", {}},
        {"a folder", "folder", {"--force"}, 1, "a folder, not a regular file", {}},
        {"a named pipe", "fifo.vkp", {"--force"}, 1, "a named pipe", {}},
        {"a device", "/dev/null", {"--force"}, 1, "a device", {}},
        {"a folder that takes no new file", "locked/o.vkp", {}, 1, "Permission denied", nobody},
    };
    for (const auto& c : cases) {
        writeBytes(path("kept.vkp"), "precious");
        writeBytes(path("read-only.vkp"), "precious");
        ASSERT_EQ(chmod(QFile::encodeName(path("read-only.vkp")).constData(), 0444), 0);
        const QStringList line = withTables(c.options + QStringList{"p.vkp", image, "-o", c.output});
        const ExportRun dry = runImport(QStringList{"--dry-run"} + line, dir.path(), c.setup);
        const std::string what = std::string(c.what) + "\n" + dry.err.toStdString();
        EXPECT_EQ(dry.status, c.status) << what;
        EXPECT_TRUE(dry.err.contains(c.told)) << what;
        EXPECT_EQ(readBytes(path("kept.vkp")), "precious") << what;
        EXPECT_FALSE(QFile::exists(path("o.vkp"))) << what;
        const ExportRun real = runImport(line, dir.path(), c.setup);
        EXPECT_EQ(real.status, c.status) << what << "\n" << real.err.toStdString();
        QFile::remove(path("o.vkp"));
        QFile::remove(path("read-only.vkp"));
    }
}

// The patch is copied only if it still holds every byte that was read; one
// cut short, grown or changed anywhere in between is never written out.
TEST_F(ImportChecks, APatchChangedWhileItIsReadIsNotWritten) {
    const QString image = edited("000-a-new.bmp", 0, 0, drawnCode("B1"));
    const QByteArray read = readBytes(path("p.vkp"));
    const qsizetype picture = read.indexOf("A0B1C2FF"), other = read.indexOf("A0B1C2FF", picture + 1);
    const struct {
        const char* what;
        QByteArray changed;
        bool inPlace;  // the output is the patch itself
    } cases[] = {
        {"cut short", read.left(read.size() - 3), false},
        {"grown", read + "; more\r\n", false},
        {"grown, written in place", read + "; more\r\n", true},
        {"the edited picture changed", QByteArray(read).replace(picture + 6, 2, "C2"), false},
        {"another picture changed", QByteArray(read).replace(other, 2, "FF"), false},
        {"a name changed", QByteArray(read).replace("Picture odd", "Picture ODD"), false},
        {"written again as it was", read, false},
    };
    for (const auto& c : cases) {
        writeBytes(path("p.vkp"), read.toStdString());
        ImportOptions options;
        options.patch = path("p.vkp");
        options.images = QStringList{path(image)};
        options.output = c.inPlace ? options.patch : path("o.vkp");
        options.force = c.inPlace;
        options.mapPath = path("map.txt");
        options.sizePath = path("size.txt");
        Report report;
        testing::internal::CaptureStderr();
        hexpane::runImport(options, report, [&] { writeBytes(options.patch, c.changed.toStdString()); });
        const std::string told = testing::internal::GetCapturedStderr();
        const bool same = c.changed == read;
        EXPECT_EQ(report.status(), same ? ExitStatus::Done : ExitStatus::Incomplete) << c.what << "\n" << told;
        EXPECT_EQ(told.find("changed while it was read") != std::string::npos, !same) << c.what << "\n" << told;
        EXPECT_EQ(told.find("pixel changed") != std::string::npos, same) << c.what << "\n" << told;
        EXPECT_EQ(QFile::exists(path("o.vkp")), same && !c.inPlace) << c.what;
        if (c.inPlace) {
            EXPECT_EQ(readBytes(path("p.vkp")), c.changed) << c.what;
        }
        QFile::remove(path("o.vkp"));
    }
}

TEST_F(ImportChecks, ForceReplacesThePatchItselfKeepingItsMode) {
    ASSERT_EQ(::chmod(QFile::encodeName(path("p.vkp")).constData(), 0640), 0);
    const QByteArray before = readBytes(path("p.vkp"));
    const QString image = edited("000-a-new.bmp", 0, 0, drawnCode("B1"));
    EXPECT_EQ(importRun({"p.vkp", image, "-o", "p.vkp"}).status, 1);
    EXPECT_EQ(readBytes(path("p.vkp")), before);

    const ExportRun run = importRun({"--force", "p.vkp", image, "-o", "p.vkp"});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    std::string after = before.toStdString();
    after.replace(after.find("00000000 A0B1C2FF"), 17, "00000000 B1B1C2FF");  // picture a, pixel (0, 0)
    EXPECT_EQ(readBytes(path("p.vkp")).toStdString(), after);
    struct stat status {};
    ASSERT_EQ(::stat(QFile::encodeName(path("p.vkp")).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
}

}  // namespace
}  // namespace hexpane::test
