// Picture names are the patch file's bytes as read. They show as UTF-8 when
// they are valid UTF-8, otherwise in Windows-1251, the code page such patch
// files are usually written in.
#pragma once

#include <QString>

#include <string_view>

namespace hexpane {

// The whole name, decoded.
QString nameText(std::string_view bytes);

// The name as a list shows it: at most kShownLength characters, then an
// ellipsis; control characters, bidirectional overrides and other invisible
// characters replaced by visible stand-ins, so that none can hide, reorder or
// break the rest of the name. Its cost does not grow with the name's length.
inline constexpr qsizetype kShownLength = 200;
QString displayName(std::string_view bytes);

}  // namespace hexpane
