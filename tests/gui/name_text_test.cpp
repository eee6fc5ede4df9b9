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

TEST(NameText, KeepsEveryByteVisible) {
    const std::string bytes("a\0b", 3);
    EXPECT_EQ(nameText(bytes).size(), 3);
}

TEST(DialogFilter, BecomesTheToolkitsNameFilters) {
    EXPECT_EQ(nameFilters("*.vkp|*.vkp"), QStringList{"*.vkp (*.vkp)"});
    EXPECT_EQ(nameFilters("Pictures|*.bmp;*.dib|All|*"), (QStringList{"Pictures (*.bmp *.dib)", "All (*)"}));
    EXPECT_TRUE(nameFilters("").isEmpty());
}

}  // namespace
}  // namespace hexpane
