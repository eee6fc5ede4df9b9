// The names of the picture files hexpane-export writes and hexpane-import
// reads back: "NNN-NAME-PANE.FORMAT". Picture names come from a patch anybody
// may have written, so a name is reduced to characters that are safe in a file
// name and can never lead out of the folder it is written to; the index, which
// comes first, keeps the names unique whatever the pictures are called.
#pragma once

#include <QString>

#include <cstddef>
#include <string_view>

namespace hexpane {

// At most this many bytes of UTF-8 in a safe name.
inline constexpr qsizetype kSafeNameBytes = 64;

// Letters, marks, digits and "-", "_", "." , "+" of the decoded name; any other
// character becomes "_", and so does a leading "." or "-". Cut at kSafeNameBytes
// bytes on a character boundary; a name left empty becomes "unnamed".
QString safeName(std::string_view bytes);

// A picture's index zero-padded to three digits at least: "007", "1234".
QString indexText(std::size_t index);

// "NNN-NAME-PANE.FORMAT": the picture's index, zero-padded to three digits at
// least, makes the file name unique whatever the names are.
QString pictureFileName(std::size_t index, std::string_view name, const char* pane, const char* format);

}  // namespace hexpane
