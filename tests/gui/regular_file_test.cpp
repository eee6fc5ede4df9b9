#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "gui/regular_file.h"

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

}  // namespace
}  // namespace hexpane
