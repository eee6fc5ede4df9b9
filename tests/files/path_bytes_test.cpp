#include <gtest/gtest.h>

#include <random>

#include "files/path_bytes.h"

namespace hexpane {
namespace {

// Whatever bytes a path holds, they reach the file system as they were given.
TEST(PathBytes, EveryByteStringRoundTrips) {
    std::mt19937 random(3);
    const QByteArray pieces[] = {"\xcf\xf0\xe8", "\xd0\x9b", "\xed\xa0\x80", "\xf0\x9f\x98\x80", "\xc0\xaf", "/", "a"};
    for (int round = 0; round < 2000; ++round) {
        QByteArray bytes;
        for (int i = int(random() % 12); i > 0; --i) {
            bytes += random() % 2 ? pieces[random() % std::size(pieces)] : QByteArray(1, char(random()));
        }
        EXPECT_EQ(pathBytes(pathFromBytes(bytes)), bytes) << bytes.toHex().constData();
    }
    EXPECT_EQ(pathFromBytes("out/\xd0\x9b.vkp"), QString::fromUtf8("out/Л.vkp"));  // UTF-8 reads as UTF-8
}

TEST(PathBytes, ShownWithNothingHiddenOrSteering) {
    const struct {
        QByteArray bytes;
        const char* shown;  // UTF-8
    } cases[] = {
        {"dir/p.vkp", "dir/p.vkp"},           {"\xcf\xf0\xe8.vkp", "\\xCF\\xF0\\xE8.vkp"},
        {"\x1b[2Jx.vkp", "<U+001B>[2Jx.vkp"}, {"a\nb\tc\xe2\x80\xae.vkp", "a<U+000A>b<U+0009>c<U+202E>.vkp"},
        {"\xd0\x9b\xff", "Л\\xFF"},
    };
    for (const auto& c : cases) EXPECT_EQ(shownPath(pathFromBytes(c.bytes)), QString::fromUtf8(c.shown)) << c.shown;
}

}  // namespace
}  // namespace hexpane
