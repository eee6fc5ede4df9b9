// The shortcut through lines that are a marker and little else.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>

#include "patch/detail/markers.h"
#include "patch/detail/pieces.h"
#include "patch/detail/reader.h"
#include "patch/detail/text_scan.h"

namespace hexpane::detail {

inline constexpr std::size_t kLineSpan = 64;
inline constexpr std::size_t kMarkerSize = kHeaderMarker.size();
static_assert(kDataMarker.size() == kMarkerSize);

struct LineMarks {
    std::uint64_t spaces = 0, breaks = 0, pees = 0;  // the first byte in the lowest bit
};

inline LineMarks lineMarks(const char* at) {
    LineMarks marks;
    for (std::size_t i = 0; i < kLineSpan; i += scan::kWidth) {
        const scan::Bytes bytes = scan::load(at + i);
        marks.spaces |= std::uint64_t{scan::bits(bytes == ' ')} << i;
        marks.breaks |= std::uint64_t{scan::bits((bytes == '\r') | (bytes == '\n'))} << i;
        marks.pees |= std::uint64_t{scan::bits(bytes == 'P')} << i;
    }
    return marks;
}

// Lines that are a header, or a data marker with no 'P' after it, are read here
// at once: from p (the start of a piece, or outside a data block the first byte
// after which a marker may begin) the piece's class is known, and what it holds
// is found in the marks of kLineSpan bytes, which hold a few such lines. Longer
// lines, and those near the span's end, go the general way.
constexpr std::uint64_t from(std::size_t bit) { return ~std::uint64_t{0} << bit; }

inline bool startsWith(const char* p, std::string_view marker) {
    return std::memcmp(p, marker.data(), marker.size()) == 0;
}

template <class Notes>
const char* PatchReader<Notes>::markerLines(const char* p) {
    while (static_cast<std::size_t>(span_.end - p) >= kLineSpan &&
           (startsWith(p, kHeaderMarker) || startsWith(p, kDataMarker))) {
        const LineMarks marks = lineMarks(p);
        std::size_t at = 0;
        for (std::size_t next = 0; at < kLineSpan - kMarkerSize; at = next) {
            next = markerLine(p, at, marks);
            if (next == at) break;
        }
        if (at == 0) break;
        p += at;
    }
    return p;
}

// Reads the line at p + at, if it is one of those and ends within the marks of
// the span from p; returns where the next line begins in the span, or `at`. Past
// the span's end lie zeros, which begin no marker.
template <class Notes>
std::size_t PatchReader<Notes>::markerLine(const char* p, std::size_t at, const LineMarks& marks) {
    const char* const line = p + at;
    const bool header = startsWith(line, kHeaderMarker);
    if (!header && !startsWith(line, kDataMarker)) return at;
    // The markers hold no line break, so the piece ends after its marker.
    const std::uint64_t rest = from(at + kMarkerSize);
    if ((marks.breaks & rest) == 0) return at;
    const auto end = static_cast<std::size_t>(std::countr_zero(marks.breaks & rest));
    const std::optional<PieceEnd> how = pieceEnd(p + end);
    if (!how) return at;
    if (header) {
        const auto word = static_cast<std::size_t>(std::countr_zero(~marks.spaces & rest));
        const auto wordEnd = static_cast<std::size_t>(std::countr_zero((marks.spaces | marks.breaks) & from(word)));
        setHeaderName(p + word, p + wordEnd);
    } else {
        // A header marker cannot overlap the data marker; one after it would have a 'P'.
        if ((marks.pees & rest & ~from(end)) != 0) return at;
        newRecord(line);
    }
    lineStart_ = *how != PieceEnd::Lf;
    return end + lineEndSize(*how);
}

}  // namespace hexpane::detail
