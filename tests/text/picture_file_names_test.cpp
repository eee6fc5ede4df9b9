// Safe file names from picture names that anybody may have written.
#include <gtest/gtest.h>

#include <string>

#include "text/picture_file_names.h"

namespace hexpane::test {
namespace {

TEST(SafeName, KeepsWhatIsSafeAndReplacesTheRest) {
    const struct {
        std::string name;
        const char* safe;
    } cases[] = {
        {"smiley", "smiley"},
        {"logo_2.v1+x", "logo_2.v1+x"},
        {"../../etc/passwd", "_._.._etc_passwd"},
        {"/abs", "_abs"},
        {"a\\b:c*d?e\"f<g>h|i", "a_b_c_d_e_f_g_h_i"},
        {".", "_"},
        {"..", "_."},
        {".hidden", "_hidden"},
        {"-rf", "_rf"},
        {"tab\tnl\ncr\resc\x1b"
         "del\x7f",
         "tab_nl_cr_esc_del_"},
        {"a\u202Egnp.exe", "a_gnp.exe"},           // right-to-left override
        {"zero\u200Bwidth\uFEFF", "zero_width_"},  // invisible characters
        {"\xcf\xf0\xe8\xe2\xe5\xf2", "Привет"},    // Windows-1251
        {"caf\xc3\xa9", "café"},                   // UTF-8
        {"\xff\xfe", "яю"},                        // not UTF-8, so Windows-1251
        {"", "unnamed"},
        {std::string(100, 'x'), "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"},
    };
    for (const auto& c : cases) {
        const QByteArray safe = safeName(c.name).toUtf8();
        EXPECT_EQ(safe.toStdString(), c.safe) << c.name;
        EXPECT_LE(safe.size(), kSafeNameBytes) << c.name;
    }
}

// Only the start of a long name is decoded; cutting it inside a UTF-8
// sequence would make the whole name read as Windows-1251.
TEST(SafeName, ALongUtf8NameIsCutOnACharacterBoundary) {
    std::string name = "a";
    for (int i = 0; i < 200; ++i) name += "\xd0\x96";  // Ж, two bytes each
    EXPECT_EQ(safeName(name), "a" + QString(31, QChar(0x0416)));
}

TEST(PictureFileName, StartsWithTheIndexPaddedToThreeDigits) {
    EXPECT_EQ(pictureFileName(7, "logo", "old", "bmp"), "007-logo-old.bmp");
    EXPECT_EQ(pictureFileName(1234, "..", "new", "png"), "1234-_.-new.png");
}

}  // namespace
}  // namespace hexpane::test
