#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "drawing/image_file.h"

namespace hexpane {
namespace {

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(SaveImage, NewFilesTakeTheUmaskAndExistingOnesAreReplacedOrKept) {
    QTemporaryDir dir;
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(Qt::red);
    const mode_t mask = umask(027);
    const struct {
        const char* what;
        const char* before;  // nullptr: no file
        Existing existing;
        bool saved;
    } cases[] = {
        {"new", nullptr, Existing::Keep, true},
        {"kept", "precious", Existing::Keep, false},
        {"replaced", "old", Existing::Replace, true},
    };
    for (const auto& c : cases) {
        const QString path = dir.filePath(QString::fromLatin1(c.what) + ".bmp");
        if (c.before) {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(c.before);
        }
        const QString error = saveImage(image, path, "bmp", c.existing);
        EXPECT_EQ(error.isEmpty(), c.saved) << c.what << ": " << error.toStdString();
        if (c.saved) {
            EXPECT_EQ(QImage(path).size(), QSize(3, 2)) << c.what;
        } else {
            EXPECT_TRUE(error.contains(path) && error.contains("exists")) << c.what;
            EXPECT_EQ(contents(path), c.before) << c.what;
        }
    }
    struct stat status {};
    ASSERT_EQ(stat(QFile::encodeName(dir.filePath("new.bmp")).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0640u);  // as any program's new file
    umask(mask);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), (QStringList{"kept.bmp", "new.bmp", "replaced.bmp"}));
}

}  // namespace
}  // namespace hexpane
