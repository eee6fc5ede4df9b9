#include <QStringDecoder>

#include <gtest/gtest.h>

#include "gui/name_text.h"
#include "window/toolkit.h"

namespace hexpane {
namespace {

TEST(NameText, DecodesUtf8ElseWindows1251) {
    const struct {
        std::string bytes;
        const char* shown;  // UTF-8
    } cases[] = {
        {"logo", "logo"},
        {"", ""},
        {"\xd0\x9b\xd0\xbe\xd0\xb3\xd0\xbe", "Лого"},
        {"\xcb\xee\xe3\xee", "Лого"},
        {"\xa8\xb8\xb9", "Ёё№"},
        {"\x80\x81\x88", "ЂЃ€"},
        {"caf\xc3", "cafГ"},  // a cut-off UTF-8 sequence is no UTF-8
    };
    for (const auto& c : cases) EXPECT_EQ(nameText(c.bytes), QString::fromUtf8(c.shown)) << c.bytes;
}

// A name is decoded one way, chosen from all of its bytes: a UTF-8 name with
// one stray byte anywhere, however far in, reads as Windows-1251 from its start.
TEST(NameText, OneDecodingPerNameFromAllOfIt) {
    std::string utf8;
    for (int i = 0; i < 1500; ++i) utf8 += "\xd0\x9b";
    QStringDecoder cp1251("windows-1251");
    const QString start = cp1251(QByteArrayView(utf8).first(100));
    for (const std::size_t at : {100u, 259u, 260u, 803u, 804u, 805u, 2999u}) {
        std::string name = utf8;
        name.insert(at, "\xff");
        EXPECT_EQ(nameText(name, 100), start) << at;
        EXPECT_TRUE(displayName(name).startsWith(start)) << at;
    }
    EXPECT_EQ(nameText(utf8, 101), QString(50, QChar(0x041B)));  // cut on a character boundary
}

TEST(NameText, KeepsEveryByteVisible) {
    const std::string bytes("a\0b", 3);
    EXPECT_EQ(nameText(bytes).size(), 3);
}

TEST(DisplayName, ShowsEveryCharacterVisiblyAndInOrder) {
    using namespace std::string_literals;
    const struct {
        std::string bytes;
        const char* shown;  // UTF-8
    } cases[] = {
        {"logo", "logo"},
        {"a\tb\0c\x1b\x7f"s, "a<U+0009>b<U+0000>c<U+001B><U+007F>"},
        {"evil\u202egnp.exe", "evil<U+202E>gnp.exe"},  // a right-to-left override cannot turn the rest round
        {"a\u2066b\u200fc\u2028d\u00ade", "a<U+2066>b<U+200F>c<U+2028>d<U+00AD>e"},
        {"\xc2\x85", "<U+0085>"},
        {"\xcb\xee\xe3\xee\x09", "Лого<U+0009>"},  // Windows-1251 and a tab
        {"\xf0\x9f\x98\x80", "\U0001F600"},
    };
    for (const auto& c : cases) EXPECT_EQ(displayName(c.bytes), QString::fromUtf8(c.shown)) << c.bytes;
}

TEST(DisplayName, ShortensLongNamesWithAnEllipsis) {
    const QString ellipsis(QChar(0x2026));
    const struct {
        std::string bytes;
        QString shown;
    } cases[] = {
        {std::string(kShownLength, 'a'), QString(kShownLength, u'a')},
        {std::string(kShownLength + 1, 'a'), QString(kShownLength, u'a') + ellipsis},
        {std::string(std::size_t{1} << 20, 'b'), QString(kShownLength, u'b') + ellipsis},
        // two bytes a character, cut in the middle of one: still UTF-8
        {"x" +
             [] {
                 std::string s;
                 for (int i = 0; i < 5000; ++i) s += "\xd0\x9b";
                 return s;
             }(),
         "x" + QString(kShownLength - 1, QChar(0x041B)) + ellipsis},
        // Windows-1251, one byte a character
        {std::string(5000, '\xcb'), QString(kShownLength, QChar(0x041B)) + ellipsis},
    };
    for (const auto& c : cases) EXPECT_EQ(displayName(c.bytes), c.shown) << c.bytes.size();
}

TEST(DialogFilter, BecomesTheToolkitsNameFilters) {
    EXPECT_EQ(nameFilters("*.vkp|*.vkp"), QStringList{"*.vkp (*.vkp)"});
    EXPECT_EQ(nameFilters("Pictures|*.bmp;*.dib|All|*"), (QStringList{"Pictures (*.bmp *.dib)", "All (*)"}));
    EXPECT_TRUE(nameFilters("").isEmpty());
}

}  // namespace
}  // namespace hexpane
