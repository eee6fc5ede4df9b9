#include <QStringDecoder>

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "text/name_text.h"

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

// One code point in UTF-8 (the toolkit's decoders would take U+FEFF for a byte order mark).
std::string utf8(char32_t c) {
    if (c < 0x80) return std::string(1, char(c));
    const int length = c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
    std::string bytes(std::size_t(length), '\0');
    for (int k = length - 1; k > 0; --k, c >>= 6) bytes[std::size_t(k)] = char(0x80 | (c & 0x3F));
    bytes[0] = char((0xF00u >> length) | c);
    return bytes;
}

// Default_Ignorable_Code_Point, and the other code points that draw nothing.
TEST(DisplayName, ShowsEveryInvisibleCodePointByItsCode) {
    const std::pair<char32_t, char32_t> invisible[] = {
        {0x00AD, 0x00AD},   {0x034F, 0x034F},   {0x061C, 0x061C}, {0x115F, 0x1160},     {0x17B4, 0x17B5},
        {0x180B, 0x180F},   {0x200B, 0x200F},   {0x202A, 0x202E}, {0x2060, 0x206F},     {0x3164, 0x3164},
        {0xFE00, 0xFE0F},   {0xFEFF, 0xFEFF},   {0xFFA0, 0xFFA0}, {0xFFF0, 0xFFF8},     {0x1BCA0, 0x1BCA3},
        {0x1D173, 0x1D17A}, {0xE0000, 0xE0FFF}, {0x00A0, 0x00A0}, {0x2000, 0x200A},     {0x3000, 0x3000},
        {0x2800, 0x2800},   {0xE000, 0xE000},   {0xF8FF, 0xF8FF}, {0x10FFFD, 0x10FFFD},
    };
    for (const auto& [first, last] : invisible) {
        for (char32_t c = first; c <= last; ++c) {
            const QString code = QString::number(uint(c), 16).toUpper().rightJustified(4, u'0');
            ASSERT_EQ(displayName("a" + utf8(c) + "b").toStdString(), ("a<U+" + code + ">b").toStdString());
        }
    }
    for (const char32_t c : {U' ', U'\u00e9', U'\u041b', U'\u05d0', U'\u0301', U'\U0001F600', U'\u2026'})
        EXPECT_EQ(displayName("a" + utf8(c) + "b"), QString::fromStdString("a" + utf8(c) + "b")) << std::hex << uint(c);
}

// The one decision between UTF-8 and Windows-1251, against the toolkit's own check.
TEST(NameText, TakesForUtf8WhatTheToolkitTakesForUtf8) {
    std::vector<std::string> names = {
        "",
        "plain ascii text",
        "\xc2\x80",
        "\xc1\xbf",
        "\xe0\x9f\xbf",
        "\xe0\xa0\x80",
        "\xed\x9f\xbf",
        "\xed\xa0\x80",
        "\xef\xbf\xbf",
        "\xf0\x8f\xbf\xbf",
        "\xf0\x90\x80\x80",
        "\xf4\x8f\xbf\xbf",
        "\xf4\x90\x80\x80",
        "\xf5\x80\x80\x80",
        "\x80",
        "\xc2",
        "abcdefg\xd0",
        "abcdefgh\xd0\x9b",
        "abcdefgh\xd0\x9b"
        "abcdefgh\xd0",
    };
    std::mt19937 random(7);
    const char* const pieces[] = {"a",        "\x80",     "\xbf",         "\xc2",
                                  "\xd0\x9b", "\xe0\xa0", "\xed\xa0\x80", "\xf0\x90\x80",
                                  "\xf4",     "\xff",     "abcdefgh"};
    for (int n = 0; n < 20000; ++n) {
        std::string name;
        for (int k = int(random() % 8); k > 0; --k) name += pieces[random() % std::size(pieces)];
        names.push_back(name);
    }
    for (const std::string& name : names)
        ASSERT_EQ(isUtf8Name(name), QByteArrayView(name.data(), qsizetype(name.size())).isValidUtf8()) << name;
}

}  // namespace
}  // namespace hexpane
