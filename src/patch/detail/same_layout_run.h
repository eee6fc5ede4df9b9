// The shortcut through lines that share the last data line's layout.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>

#include "patch/detail/markers.h"
#include "patch/detail/pieces.h"
#include "patch/detail/reader.h"
#include "patch/detail/text_scan.h"

namespace hexpane::detail {

// Of sixteen bytes, those that might end a part of a data line, or more: colons,
// spaces and the bytes below; and a 'P', which may begin a marker.
inline scan::Marks separators(scan::Bytes bytes) { return (bytes <= ' ') | (bytes == ':') | (bytes == 'P'); }

// Copies sixteen bytes and marks the separators among them.
inline scan::Marks copyBlock(char* to, const char* from) {
    const scan::Bytes bytes = scan::load(from);
    std::memcpy(to, &bytes, sizeof bytes);
    return separators(bytes);
}

// The data lines of a picture nearly all share one layout, so the lines from p on
// are read as the layout of the last data line the rule read says, without a
// search: first each line is checked for the parts in place, then the fields of
// all such lines are copied, each field growing once by what the run holds, and
// checked as they are copied. When a field holds a byte that might have made the
// rule read the line otherwise, or a 'P', the copy is undone and the lines are
// checked one by one, up to the first 'P' that may begin a marker. Returns the
// start of the first line not read.
template <class Store>
const char* PatchReader<Store>::sameLayoutRun(const char* p) {
    const Layout at = *layout_;
    const char* line = p;
    std::size_t lines = 0;
    for (; static_cast<std::size_t>(span_.end - line) > at.size() && at.partsAt(line); line += at.size()) ++lines;
    if (lines == 0) return p;

    const std::size_t oldSize = store_.oldText().size();
    const std::size_t newSize = store_.newText().size();
    const bool oldPlain = appendLines(store_.oldText(), p, lines, at.oldBegin, at.oldSize());
    const bool newPlain = appendLines(store_.newText(), p, lines, at.newBegin, at.newSize());
    if (!oldPlain || !newPlain) {
        store_.oldText().resize(oldSize);
        store_.newText().resize(newSize);
        if (nextMarkerWord_ == nullptr || nextMarkerWord_ < p) {
            nextMarkerWord_ = scan::find(p, span_.end, MarkerWords{});
        }
        const std::size_t candidates = std::exchange(lines, 0);
        for (line = p; lines < candidates && line + at.lineBreak <= nextMarkerWord_ && at.fits(line);
             line += at.size()) {
            ++lines;
        }
        if (lines == 0) return p;
        appendLines(store_.oldText(), p, lines, at.oldBegin, at.oldSize());
        appendLines(store_.newText(), p, lines, at.newBegin, at.newSize());
    }
    if constexpr (Store::kLocates) {
        for (std::size_t k = 0; k < lines && store_.locating(); ++k) {
            store_.newTextRun(streamOffset(p + k * at.size() + at.newBegin), newSize + k * at.newSize(), at.newSize());
        }
    }
    heap_.notice();
    lineStart_ = at.end != PieceEnd::Lf;
    return line;
}

// Appends `size` bytes from `offset` on of each of `lines` lines of the layout
// from `first` on. Tells whether none of them is a separator or a 'P'. A field
// that keeps no text only grows by their count.
template <class Store>
template <class Field>
bool PatchReader<Store>::appendLines(Field field, const char* first, std::size_t lines, std::size_t offset,
                                     std::size_t size) {
    if (size == 0) return true;
    const std::size_t stride = layout_->size();
    const std::size_t grown = field.size() + lines * size;
    const std::size_t whole = size / scan::kWidth * scan::kWidth;
    const scan::Marks last = scan::lanesBelow(size - whole);
    scan::Marks found{};
    const char* from = first + offset;
    if constexpr (Field::kKeepsText) {
        // Copied sixteen bytes at a time, each line's copy running on into the
        // room for the next, and the last into room given back after.
        for (char* to = field.room(lines * size); lines > 0; --lines, from += stride, to += size) {
            std::size_t i = 0;
            for (; i < whole; i += scan::kWidth) found |= copyBlock(to + i, from + i);
            if (i < size) found |= copyBlock(to + i, from + i) & last;
        }
    } else {
        for (; lines > 0; --lines, from += stride) {
            std::size_t i = 0;
            for (; i < whole; i += scan::kWidth) found |= separators(scan::load(from + i));
            if (i < size) found |= separators(scan::load(from + i)) & last;
        }
    }
    field.resize(grown);
    return scan::bits(found) == 0;
}

}  // namespace hexpane::detail
