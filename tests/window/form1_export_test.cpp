// Saving a pane: the dialog, the bitmap's bytes, and what a failed save leaves.
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>

#include <sys/stat.h>
#include <unistd.h>

#include "as_a_user.h"
#include "window/pane.h"
#include "window/save_icon.h"
#include "window_fixture.h"

namespace hexpane::test {
namespace {

constexpr const char* kPatch =
    "##### Picture wide\r\n; Picture Data\r\n1: A0B1C2 A0B1C2FFC0B1D3A000B1FFFF\r\n"  // 4 × 3
    "##### Picture new\r\n; Picture Data\r\n1: A0B1C2FF\r\n";                         // 2 × 2, no old bytes

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::uint32_t le32(const QByteArray& bytes, int at) {
    return std::uint32_t(std::uint8_t(bytes[at])) | std::uint32_t(std::uint8_t(bytes[at + 1])) << 8 |
           std::uint32_t(std::uint8_t(bytes[at + 2])) << 16 | std::uint32_t(std::uint8_t(bytes[at + 3])) << 24;
}
std::uint16_t le16(const QByteArray& bytes, int at) {
    return std::uint16_t(std::uint8_t(bytes[at]) | std::uint8_t(bytes[at + 1]) << 8);
}

class Saving : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        load(kPatch);
        select(0);
        ASSERT_TRUE(form->img[1]->isVisible());
    }

    // Clicks save icon i and answers the dialog with path (nullopt: cancel).
    void save(int i, std::optional<QString> path) {
        dialog->answers.push_back(std::move(path));
        QTest::mouseClick(form->img[std::size_t(i)], Qt::LeftButton);
    }

    QString target = dir.filePath("picture.bmp");
};

TEST_F(Saving, AsksForABitmapName) {
    form->cd->FileName = "left over";
    save(1, std::nullopt);
    ASSERT_EQ(dialog->calls.size(), 2u);
    EXPECT_TRUE(dialog->calls[1].save);
    EXPECT_EQ(dialog->calls[1].defaultExt, ".bmp");
    EXPECT_EQ(dialog->calls[1].filter, "*.bmp|*.bmp");
    EXPECT_EQ(dialog->calls[1].fileName, "");
}

TEST_F(Saving, CancelLeavesAnExistingFileUntouched) {
    writeFile(target, "precious");
    save(1, std::nullopt);
    EXPECT_EQ(readAll(target), "precious");
    EXPECT_TRUE(messages->shown.empty());
}

TEST_F(Saving, WritesA24BitBitmapByteForByte) {
    save(1, target);
    ASSERT_TRUE(messages->shown.empty());
    const QByteArray bmp = readAll(target);
    const int W = 4, H = 3, stride = 12;  // 4 × 3 bytes, already a multiple of four
    ASSERT_EQ(bmp.size(), 54 + stride * H);
    EXPECT_EQ(bmp.left(2), "BM");
    EXPECT_EQ(le32(bmp, 2), std::uint32_t(bmp.size()));
    EXPECT_EQ(le32(bmp, 10), 54u);  // pixels right after the two headers
    EXPECT_EQ(le32(bmp, 14), 40u);  // the ordinary info header
    EXPECT_EQ(le32(bmp, 18), std::uint32_t(W));
    EXPECT_EQ(le32(bmp, 22), std::uint32_t(H));  // positive: bottom row first
    EXPECT_EQ(le16(bmp, 26), 1u);
    EXPECT_EQ(le16(bmp, 28), 24u);
    EXPECT_EQ(le32(bmp, 30), 0u);  // no compression
    // Codes row by row: A0 B1 C2 FF / C0 B1 D3 A0 / 00 B1 FF FF.
    const QRgb face = form->palette().color(QPalette::Window).rgb();
    const QRgb rows[3][4] = {
        {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 0), qRgb(255, 255, 255)},
        {face, qRgb(0, 255, 0), qRgb(0, 0, 0), qRgb(255, 0, 0)},
        {qRgb(0, 0, 0), qRgb(0, 255, 0), qRgb(255, 255, 255), qRgb(255, 255, 255)},
    };
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            const int at = 54 + (H - 1 - y) * stride + 3 * x;
            const QRgb expected = rows[y][x];
            EXPECT_EQ(std::uint8_t(bmp[at]), qBlue(expected)) << x << "," << y;
            EXPECT_EQ(std::uint8_t(bmp[at + 1]), qGreen(expected)) << x << "," << y;
            EXPECT_EQ(std::uint8_t(bmp[at + 2]), qRed(expected)) << x << "," << y;
        }
    }
}

TEST_F(Saving, RowsArePaddedToFourBytes) {
    select(1);  // 2 × 2: six bytes a row, padded to eight
    save(1, target);
    const QByteArray bmp = readAll(target);
    ASSERT_EQ(bmp.size(), 54 + 8 * 2);
    EXPECT_EQ(bmp.mid(54 + 6, 2), QByteArray(2, '\0'));
}

TEST_F(Saving, TheSavedBitmapIsThePaneWithoutItsFrame) {
    for (const bool framed : {true, false}) {
        if (form->pic[0]->frameWidth() != int(framed)) QTest::mouseClick(form->chk, Qt::LeftButton);
        for (int i = 0; i < 2; ++i) {
            save(i, target);
            const QImage saved(target);
            Pane* pane = form->pic[std::size_t(i)];
            const int b = pane->frameWidth();
            const QImage onScreen = pane->grab().toImage().copy(b, b, 4, 3);
            ASSERT_EQ(saved.size(), QSize(4, 3)) << framed;
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < 4; ++x) EXPECT_EQ(saved.pixel(x, y), onScreen.pixel(x, y)) << i << framed;
        }
    }
}

TEST_F(Saving, PixelsTheBytesDidNotReachKeepTheBackground) {
    select(1);  // carries no old bytes
    save(0, target);
    const QImage saved(target);
    ASSERT_EQ(saved.size(), QSize(2, 2));
    const QRgb background = form->pic[0]->palette().color(QPalette::Base).rgb();
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x) EXPECT_EQ(saved.pixel(x, y), background);
}

TEST_F(Saving, ReplacesAnExistingFile) {
    writeFile(target, "old contents");
    save(1, target);
    EXPECT_TRUE(messages->shown.empty());
    EXPECT_EQ(QImage(target).size(), QSize(4, 3));
    EXPECT_EQ(QDir(dir.path()).entryList({"*.bmp*"}, QDir::Files), QStringList{"picture.bmp"});
}

TEST_F(Saving, AFailedWriteIsReportedAndLeavesTheOldFile) {
    writeFile(target, "precious");
    {
        const FileSizeLimit limit(40);  // the test program ignores SIGXFSZ, as the window does
        save(1, target);
    }
    ASSERT_EQ(messages->shown.size(), 1u);
    EXPECT_EQ(messages->shown[0].first, QMessageBox::Critical);
    EXPECT_TRUE(messages->shown[0].second.contains(target)) << messages->shown[0].second.toStdString();
    EXPECT_EQ(readAll(target), "precious");
    EXPECT_EQ(QDir(dir.path()).entryList({"*.bmp*"}, QDir::Files), QStringList{"picture.bmp"});
}

TEST_F(Saving, AFolderWithoutRoomForATemporaryFileIsWrittenInPlace) {
    const QString folder = dir.filePath("closed");
    const QString inside = folder + "/picture.bmp";
    const struct {
        const char* what;
        rlim_t limit;
        const char* says;  // nullptr: saved
    } cases[] = {{"saved", RLIM_INFINITY, nullptr}, {"past a file-size limit", 40, "File too large"}};
    for (const auto& c : cases) {
        QDir(folder).removeRecursively();
        ASSERT_TRUE(QDir(dir.path()).mkdir("closed"));
        writeFile(inside, "old contents");
        ASSERT_TRUE(QFile::setPermissions(inside, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                      QFileDevice::ReadOther | QFileDevice::WriteOther));
        ASSERT_TRUE(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        messages->shown.clear();
        {
            const WithoutPermissionOverride asAUser;
            const FileSizeLimit limit(c.limit);
            save(1, inside);
        }
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{"picture.bmp"}) << c.what;
        if (!c.says) {
            EXPECT_TRUE(messages->shown.empty()) << c.what;
            EXPECT_EQ(QImage(inside).size(), QSize(4, 3)) << c.what;
        } else {
            ASSERT_EQ(messages->shown.size(), 1u) << c.what;
            EXPECT_TRUE(messages->shown[0].second.contains(c.says)) << messages->shown[0].second.toStdString();
            EXPECT_TRUE(messages->shown[0].second.contains(inside)) << c.what;
            EXPECT_EQ(readAll(inside), "old contents") << c.what;
        }
    }
}

TEST_F(Saving, TargetsThatAreNoRegularFileAreLeftAsTheyAre) {
    const QString fifo = dir.filePath("fifo.bmp");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString& path : {fifo, QStringLiteral("/dev/null")}) {
        messages->shown.clear();
        save(1, path);
        ASSERT_EQ(messages->shown.size(), 1u) << path.toStdString();
        EXPECT_TRUE(messages->shown[0].second.contains(path)) << path.toStdString();
        EXPECT_TRUE(messages->shown[0].second.contains("not a regular file")) << path.toStdString();
        EXPECT_FALSE(QFileInfo(path).isFile()) << path.toStdString();
    }
}

TEST_F(Saving, AnUnwritablePlaceIsReported) {
    writeFile(dir.filePath("plain"), "a file, not a folder");
    const struct {
        const char* what;
        QString path;
    } cases[] = {
        {"folder that is a file", dir.filePath("plain/picture.bmp")},
        {"name too long", dir.filePath(QString(300, u'n') + ".bmp")},
        {"missing folder", dir.filePath("nowhere/picture.bmp")},
    };
    for (const auto& c : cases) {
        messages->shown.clear();
        save(1, c.path);
        ASSERT_EQ(messages->shown.size(), 1u) << c.what;
        EXPECT_EQ(messages->shown[0].first, QMessageBox::Critical) << c.what;
        EXPECT_TRUE(messages->shown[0].second.contains(QDir::toNativeSeparators(c.path))) << c.what;
        EXPECT_FALSE(QFileInfo::exists(c.path)) << c.what;
    }
    EXPECT_EQ(readAll(dir.filePath("plain")), "a file, not a folder");
}

TEST_F(Saving, AReadOnlyFileIsNotReplaced) {  // not even by root
    writeFile(target, "precious");
    ASSERT_TRUE(QFile::setPermissions(target, QFileDevice::ReadOwner));
    save(1, target);
    ASSERT_EQ(messages->shown.size(), 1u);
    EXPECT_TRUE(messages->shown[0].second.contains("read-only"));
    EXPECT_EQ(readAll(target), "precious");
}

}  // namespace
}  // namespace hexpane::test
