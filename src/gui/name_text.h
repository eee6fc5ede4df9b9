// Picture names are the patch file's bytes as read. A name shows as UTF-8 when
// the whole of it is valid UTF-8, otherwise in Windows-1251, the code page such
// patch files are usually written in: decided once per name, from all of its
// bytes, the same way wherever a name is shown or made into a file name.
#pragma once

#include <QString>
#include <QStringView>

#include <cstddef>
#include <string_view>

namespace hexpane {

// The whole name, decoded.
QString nameText(std::string_view bytes);

// The start of the name, decoded: at most `limit` of its bytes, cut on a
// character boundary, in the encoding the whole name has.
QString nameText(std::string_view bytes, std::size_t limit);

// The text with every character that shows nothing or steers the text
// (control, format, separators of lines and paragraphs, unassigned) replaced
// by its code, <U+XXXX>, in letters any font has.
QString visibleText(QStringView text);

// The name as a list shows it: at most kShownLength characters, then an
// ellipsis; invisible characters as in visibleText, so that none can hide,
// reorder or break the rest of the name. Its cost does not grow with the
// name's length beyond one check of its encoding.
inline constexpr qsizetype kShownLength = 200;
QString displayName(std::string_view bytes);

}  // namespace hexpane
