// Lines, pieces and data lines, as the reader finds them sixteen bytes at a time.
#pragma once

#include <cstddef>

#include "patch/detail/markers.h"
#include "patch/detail/text_scan.h"

namespace hexpane::detail {

// Lines end at CR LF or a lone CR; a lone LF ends a piece of a line.
inline constexpr auto kBreaks = scan::anyOf<'\r', '\n'>;
inline constexpr auto kSpaces = scan::anyOf<' '>;
inline constexpr auto kNonSpaces = scan::noneOf<' '>;

enum class PieceEnd { CrLf, Cr, Lf, Stream };

inline std::size_t lineEndSize(PieceEnd end) { return end == PieceEnd::CrLf ? 2 : 1; }

// Marks, inside a data block, where a piece may begin to matter: a colon (a data
// line), a ';' (a comment, when it begins the piece), a marker's 'P', and a CR
// after a space or a line end (the end of a blank line). Pieces that hold none of
// these are data lines without a colon, which change nothing.
struct NotableInBlock {
    scan::Marks operator()(const char* at) const {
        using scan::load;
        const scan::Bytes here = load(at);
        const scan::Bytes before = load(at - 1);
        return (here == ':') | (here == ';') | MarkerWords()(at) |
               ((here == '\r') & ((before == ' ') | (before == '\r') | (before == '\n')));
    }
};

// ---- Data lines ----

// Where the data-line rule found the parts of a line, counted from its start: the
// first colon, the old bytes and the new bytes (either may be empty; with no old
// bytes, oldBegin == oldEnd == newBegin), and the line break. All between them is
// spaces.
struct Layout {
    std::size_t colon, oldBegin, oldEnd, newBegin, newEnd, lineBreak;
    PieceEnd end;

    std::size_t size() const { return lineBreak + lineEndSize(end); }
    std::size_t oldSize() const { return oldEnd - oldBegin; }
    std::size_t newSize() const { return newEnd - newBegin; }

    // Whether the rule would find the same parts in the line at `line`, which lies
    // in the text read, with the byte after it, and holds no marker: then the first
    // colon is where the layout has it, the spaces are where it has them, and the
    // bytes are what the rule's searches pass by.
    bool fits(const char* line) const {
        return partsAt(line) && word(line + oldBegin, line + oldEnd) && word(line + newBegin, line + newEnd);
    }

    // Whether the colon, the spaces between the parts and the line end are where
    // the layout has them, the line is no comment, and no colon or line break comes
    // before the colon, nor a 'P' (a marker's, maybe). Then the line fits if its
    // fields hold no space or line break.
    bool partsAt(const char* line) const {
        const char* const lineBreakAt = line + lineBreak;
        const bool endFits = end == PieceEnd::Lf
                                 ? *lineBreakAt == '\n'
                                 : *lineBreakAt == '\r' && (lineBreakAt[1] == '\n') == (end == PieceEnd::CrLf);
        return endFits && line[colon] == ':' && *line != ';' && spaces(line + colon + 1, line + oldBegin) &&
               spaces(line + oldEnd, line + newBegin) && spaces(line + newEnd, lineBreakAt) &&
               (colon == 0 || scan::none(line, line + colon, scan::anyOf<':', '\r', '\n', 'P'>));
    }

private:
    // Gaps are mostly of one space or none.
    static bool spaces(const char* begin, const char* end) {
        switch (end - begin) {
        case 0:
            return true;
        case 1:
            return *begin == ' ';
        default:
            return scan::none(begin, end, kNonSpaces);
        }
    }
    static bool word(const char* begin, const char* end) {
        return scan::none(begin, end, scan::anyOf<' ', '\r', '\n'>);
    }
};

}  // namespace hexpane::detail
