// Picture names are the patch file's bytes as read. A name shows as UTF-8 when
// the whole of it is valid UTF-8, otherwise in Windows-1251, the code page such
// patch files are usually written in: decided once per name, from all of its
// bytes, the same way wherever a name is shown or made into a file name.
#pragma once

#include <QString>
#include <QStringView>

#include <cstddef>
#include <string>
#include <string_view>

namespace hexpane {

// The length of the valid UTF-8 sequence at p, of the `left` bytes there, or
// 0 where none starts: overlong forms, surrogates and code points past
// U+10FFFF are no UTF-8. The one statement of the rule, for names and paths.
std::size_t utf8SequenceLength(const unsigned char* p, std::size_t left);

// Whether the name is shown as UTF-8: the whole of it is valid UTF-8.
bool isUtf8Name(std::string_view bytes);

// The whole name, decoded.
QString nameText(std::string_view bytes);

// The start of the name, decoded: at most `limit` of its bytes, cut on a
// character boundary, in the encoding the whole name has.
QString nameText(std::string_view bytes, std::size_t limit);

// The text with every character that shows nothing or steers the text
// replaced by its code, <U+XXXX>, in letters any font has: control and format
// characters, separators of lines and paragraphs, unassigned and private-use
// code points, every default-ignorable code point (U+034F, U+115F, U+180B,
// U+FE00, U+E0100 and the like) and every space but the plain one.
QString visibleText(QStringView text);

// The name as a list shows it: at most kShownLength characters, then an
// ellipsis; invisible characters as in visibleText, so that none can hide,
// reorder or break the rest of the name. Its cost does not grow with the
// name's length beyond one check of its encoding, which a caller that keeps
// isUtf8Name(bytes) can pass instead.
inline constexpr qsizetype kShownLength = 200;
QString displayName(std::string_view bytes);
QString displayName(std::string_view bytes, bool utf8);

// Type-ahead: whether displayName(bytes) starts with the text that
// foldedForSearch made, letter case aside, as the toolkit's own search
// compares. Decodes no more of the name than the comparison needs.
std::u32string foldedForSearch(QStringView text);
bool displayNameStartsWith(std::string_view bytes, bool utf8, std::u32string_view folded);

// A shown name laid out left to right whatever its letters, for drawing beside
// other text: isolated from its neighbours, with a left-to-right mark after
// each right-to-left run, so that no digit or punctuation of the name can be
// pulled into such a run and drawn elsewhere. The letters of a run still read
// right to left.
QString leftToRightIsolated(QStringView shown);

}  // namespace hexpane
