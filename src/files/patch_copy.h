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
#include <string>
#include <vector>

#include "files/file_digest.h"
#include "files/watched_read.h"
#include "patch/patch_reader.h"

namespace hexpane {

// A picture's new text as changed: the picture's index in the patch, and the
// text, of the length the patch holds.
struct ChangedText {
    std::size_t index;
    const std::string* newHex;
};

// Writes the patch with each changed text in place of what the file holds
// there (changes in ascending order of index) to outputPath, whole or not at
// all, through the saving code every program shares. `read` is what the patch
// held when its texts were read (readFile gives it): the patch is read again
// to find where the changed texts stand (locateNewText), then copied, and both
// reads must find those very bytes, every one of them, or nothing is written,
// so that a patch cut short, grown or changed anywhere meanwhile never becomes
// a cut or merged one. Empty when written; otherwise a message that names the
// output and gives the reason. Never replaces a file unless force. The output
// may be the patch itself: it is read whole before the output takes its name.
// With a watch, each of the two reads counts its bytes on it, and a request to
// stop is honoured during the first: nothing is written then, and the result is empty.
QString writePatch(const QString& patchPath, const FileDigest& read, const std::vector<ChangedText>& changes,
                   const QString& outputPath, bool force, ReadWatch* watch = nullptr);

// What writePatch says of a patch that no longer holds what was read.
QString patchChangedText();

}  // namespace hexpane
