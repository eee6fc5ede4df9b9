#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "files/regular_file.h"

namespace hexpane {
namespace {

std::string readAll(std::istream& in) { return {std::istreambuf_iterator<char>(in), {}}; }

// Whatever is appended after the open is not read, so a file that keeps
// growing cannot make memory grow with it.
TEST(ReadFile, StopsWhereTheFileEndedWhenOpened) {
    QTemporaryDir dir;
    const QString path = dir.filePath("growing.vkp");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    file.write("first part\r\n");
    QString error;
    const std::string read = readFile(
        path,
        [&](std::istream& in) {
            file.write(QByteArray(3 << 20, 'x'));
            return readAll(in);
        },
        &error);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    EXPECT_EQ(read, "first part\r\n");
}

// Readers may size their memory by what the stream says is left: what is left
// of the file as opened, however much of it was read.
TEST(ReadFile, TellsWhatIsLeftOfTheFileAsOpened) {
    QTemporaryDir dir;
    const QString path = dir.filePath("patch.vkp");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    const qint64 size = file.write(QByteArray(5000, 'x'));
    QString error;
    const auto left = readFile(
        path,
        [&](std::istream& in) {
            file.write(QByteArray(1000, 'y'));
            std::vector<std::streamsize> told{in.rdbuf()->in_avail()};
            for (char chunk[1500]; in.read(chunk, sizeof chunk);) told.push_back(in.rdbuf()->in_avail());
            return told;
        },
        &error);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    ASSERT_EQ(left.size(), 4u);
    for (std::size_t i = 0; i < left.size(); ++i) EXPECT_EQ(left[i], size - 1500 * qint64(i)) << i;
}

}  // namespace
}  // namespace hexpane
