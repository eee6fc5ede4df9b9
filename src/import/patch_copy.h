// The written patch: the input patch's bytes as they stand, read again from
// its start, with only the characters of changed pixels replaced. It is
// streamed, so the patch is never held twice.
//
// Such a replacement never changes how the patch reads. A code written is two
// hexadecimal digits, never a line break, colon or space, so every data line
// keeps its fields. Nor can it complete a picture marker: a marker's 'P' could
// only lie in the new text of its line, so that picture is written in upper
// case, and of a marker's characters only the D of "Data" and the c of c0 can
// be written, each between two a code never has (space, 'a', 'i', 't'), in its run.
#pragma once

#include <QString>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "patch/patch_reader.h"

namespace hexpane {

// A picture's new text as changed, and where the text read stands in the file.
struct ChangedText {
    const std::string* newHex;
    const std::vector<NewTextRun>* runs;
    const std::vector<bool>* changedPixels;  // [k]: the characters 2k and 2k + 1 may differ from the file's
};

// Hands the patch's bytes to put, in order, in pieces, with each changed text
// in place of what the file holds there; changes must be in file order. False
// when put returns false, or, with the reason in *error, when the patch cannot
// be read or no longer holds what was read from it (where no pixel changed, its
// bytes must be the text read, and it must be long enough for every run).
bool copyPatch(const QString& patchPath, const std::vector<ChangedText>& changes,
               const std::function<bool(const char*, std::size_t)>& put, QString* error);

}  // namespace hexpane
