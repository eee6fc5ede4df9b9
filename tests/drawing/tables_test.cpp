#include "drawing/tables.h"

#include <gtest/gtest.h>

#include <string>

namespace hexpane {
namespace {

using namespace std::string_literals;
using Kind = TableProblemKind;

// The words users read in the window's warning box and on the exporter's
// standard error, one row per kind of problem and per form of its words.
TEST(TableProblemText, WordsEachKindOfProblem) {
    const struct {
        TableProblem problem;
        const char* text;  // UTF-8
    } rows[] = {
        {{.kind = Kind::RepeatedCode, .line = 3, .firstLine = 1, .code = "C0"},
         "line 3: the code \"C0\" was already given on line 1; the first one is kept"},
        {{.kind = Kind::RepeatedCode, .line = 5, .firstLine = 4, .code = ""},
         "line 5: the code \"\" was already given on line 4; the first one is kept"},
        {{.kind = Kind::RepeatedCode, .line = 9, .firstLine = 2, .code = "\xE9\xFF"},
         "line 9: the code \"йя\" was already given on line 2; the first one is kept"},
        {{.kind = Kind::RepeatedCode, .line = 4, .firstLine = 2, .code = "\0000"s},
         "line 4: the code \"<U+0000>0\" was already given on line 2; the first one is kept"},
        {{.kind = Kind::RepeatedCode, .line = 7, .firstLine = 6, .code = "\x1b["},
         "line 7: the code \"<U+001B>[\" was already given on line 6; the first one is kept"},
        {{.kind = Kind::ProductTooLarge, .line = 2},
         "line 2: the width times the height is too large a number; the line is skipped"},
        {{.kind = Kind::NotShown, .count = 2, .hiddenKind = Kind::RepeatedCode}, "and 2 more repeated codes"},
        {{.kind = Kind::NotShown, .count = 1, .hiddenKind = Kind::RepeatedCode}, "and 1 more repeated code"},
        {{.kind = Kind::NotShown, .count = 7, .hiddenKind = Kind::ProductTooLarge}, "and 7 more skipped lines"},
        {{.kind = Kind::NotShown, .count = 1, .hiddenKind = Kind::ProductTooLarge}, "and 1 more skipped line"},
        {{.kind = Kind::NulBytes},
         "the file holds NUL bytes, so it is no plain 8-bit text file (saved as UTF-16, or not a text file at all?)"},
        {{.kind = Kind::NoPixelColour}, "it gives no colour to any pixel code, so every pixel is drawn black"},
        {{.kind = Kind::NoUsableSize},
         "it gives no usable size (a whole width and height of at least 1), so every picture shows Error"},
        {{.kind = Kind::ReadFailure, .line = 0}, "the file could not be read"},
        {{.kind = Kind::ReadFailure, .line = 2}, "the file could not be read past line 2"},
    };
    for (const auto& row : rows) EXPECT_EQ(tableProblemText(row.problem), QString::fromUtf8(row.text));
}

bool visible(const QString& text) {
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format) return false;
    }
    return true;
}

// Whatever bytes a code holds, its words carry no control character, format
// character or terminal escape: each such byte shows by its number.
TEST(TableProblemText, ShowsEveryByteOfACodeVisibly) {
    for (unsigned byte = 0; byte < 256; ++byte) {
        const char c = static_cast<char>(byte);
        for (const std::string& code :
             {std::string(1, c), std::string{c, '0'}, std::string{'0', c}, std::string{c, c}}) {
            const QString text =
                tableProblemText({.kind = Kind::RepeatedCode, .line = 2, .firstLine = 1, .code = code});
            EXPECT_TRUE(visible(text)) << text.toStdString();
            EXPECT_TRUE(text.endsWith("; the first one is kept")) << text.toStdString();
            if (byte < 0x20 || byte == 0x7F) {
                EXPECT_TRUE(text.contains(QStringLiteral("<U+%1>").arg(byte, 4, 16, QChar(u'0')).toUpper()))
                    << text.toStdString();
            }
        }
    }
}

}  // namespace
}  // namespace hexpane
