// The patch reader's general path, in the order of the format's rules: the
// pieces of each line, the class of a piece, then what a header, a data marker
// and a data line do. The shortcuts it takes through common lines are in
// marker_lines.h and same_layout_run.h.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <istream>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "patch/detail/chunk_feed.h"
#include "patch/detail/large_pages.h"
#include "patch/detail/markers.h"
#include "patch/detail/pieces.h"
#include "patch/detail/read_settings.h"
#include "patch/detail/text_scan.h"
#include "patch/patch_reader.h"

namespace hexpane::detail {

struct LineMarks;

// The index of the next record in decimal, counted up as records are made.
class DecimalCounter {
public:
    DecimalCounter() { digits_.fill('0'); }
    std::string_view text() const { return {digits_.data() + first_, digits_.size() - first_}; }
    void next() {
        std::size_t i = digits_.size() - 1;
        for (; digits_[i] == '9'; --i) digits_[i] = '0';
        ++digits_[i];
        first_ = std::min(first_, i);
    }

private:
    // Room for every index, with '0's before the first digit for the carry.
    std::array<char, std::numeric_limits<std::size_t>::digits10 + 2> digits_{};
    std::size_t first_ = digits_.size() - 1;
};

// Reads a patch into a Store: what the reader keeps of what it reads, chosen at
// compile time (record_store.h, picture_store.h, locating_store.h). The reader
// tells it of each record, named by the header or its index, and appends to the
// latest record's old and new text through the fields it gives; a store that
// locates is told of each run of new text it appends.
template <class Store>
class PatchReader {
public:
    PatchReader(const ReadSettings& settings, Store store)
        : settings_(settings), heap_(settings.largePages), store_(std::move(store)) {}

    // What the store made of the stream.
    auto read(std::istream& in);

private:
    // Finding the pieces that matter in the text read.
    const char* consume(const TextSpan& span);
    const char* consumePieces();
    const char* nextNotable(const char* p, const char* from) const;
    bool notableInBlock(const char* at, const char* p) const;
    const char* pieceStart(const char* at, const char* p) const;
    bool startsLine(const char* begin, const char* p) const;
    std::optional<PieceEnd> pieceEnd(const char* at) const;
    const char* carryQuiet(const char* p);
    const char* carryNotable(const char* begin, const char* notable, bool lineStart);

    // The rules, on one whole piece.
    void piece(const char* begin, const char* end, PieceEnd how, bool lineStart);
    void header(const char* rest, const char* end);
    void setHeaderName(const char* begin, const char* end);
    void holdHeaderNames();
    void newRecord(const char* at);
    void dataLine(const char* begin, const char* end, PieceEnd how);
    void appendNew(const char* begin, const char* end);

    // The shortcut through lines that are a marker and little else.
    const char* markerLines(const char* p);
    std::size_t markerLine(const char* p, std::size_t at, const LineMarks& marks);

    // The shortcut through lines that share the last data line's layout.
    const char* sameLayoutRun(const char* p);
    template <class Field>
    bool appendLines(Field field, const char* first, std::size_t lines, std::size_t offset, std::size_t size);
    std::uint64_t streamOffset(const char* at) const {
        return span_.offset + static_cast<std::uint64_t>(at - span_.begin);
    }

    ReadSettings settings_;
    large_pages::HeapGrowth heap_;
    Store store_;
    ChunkFeed* feed_ = nullptr;
    DecimalCounter nextIndex_;
    bool inData_ = false;
    bool lineStart_ = true;  // the piece at the front of the next text read starts a line
    // The names of the latest header and the one before it: text in this span
    // until it is done with, then in heldNames_. A header names in one step.
    std::string_view headerNames_[2];
    bool namesInWindow_[2] = {false, false};
    std::string heldNames_[2];
    unsigned latestHeader_ = 0;
    std::uint64_t headers_ = 0;     // the headers read: the latest one's number
    std::optional<Layout> layout_;  // of the last data line the rule read

    TextSpan span_{};
    const char* nextMarkerWord_ = nullptr;  // in this span, the next 'P' that may begin a marker, once sought
    // Of the unfinished piece carried to the next span: how many of its first
    // bytes hold nothing notable, and how many hold no line break; and in this
    // span, where those end.
    std::size_t carriedQuiet_ = 0;
    std::size_t carriedBreakFree_ = 0;
    const char* quietUntil_ = nullptr;
    const char* breakFreeUntil_ = nullptr;
};

template <class Store>
auto PatchReader<Store>::read(std::istream& in) {
    ChunkFeed feed(in, settings_.chunkSize, settings_.largePages);
    feed_ = &feed;
    for (TextSpan span{}; feed.next(span);) feed.keep(consume(span));
    feed_ = nullptr;
    return store_.finish();
}

// Reads the pieces of the span that matter, and returns where the unfinished
// text begins: a piece counts as finished once its line break and the byte after
// it (which tells CR LF from a lone CR) are read, or the stream has ended.
template <class Store>
const char* PatchReader<Store>::consume(const TextSpan& span) {
    span_ = span;
    nextMarkerWord_ = nullptr;
    heap_.notice();
    quietUntil_ = span.begin + std::exchange(carriedQuiet_, 0);
    breakFreeUntil_ = span.begin + std::exchange(carriedBreakFree_, 0);
    const char* const unfinished = consumePieces();
    holdHeaderNames();
    return unfinished;
}

template <class Store>
const char* PatchReader<Store>::consumePieces() {
    const TextSpan& span = span_;
    for (const char* p = span.begin;;) {
        if (inData_ && layout_) p = sameLayoutRun(p);
        p = markerLines(p);
        const char* const notable = nextNotable(p, std::max(p, quietUntil_));
        if (notable == span.end) return carryQuiet(p);
        // Outside a data block, what comes before a marker does not matter.
        const char* const begin = inData_ ? pieceStart(notable, p) : notable;
        const char* const end = scan::find(std::max(notable, breakFreeUntil_), span.end, kBreaks);
        const std::optional<PieceEnd> how = pieceEnd(end);
        if (!how) return carryNotable(begin, notable, startsLine(begin, p));
        if (!inData_ && markerAt(begin + kHeaderP, kHeaderP, kHeaderMarker, begin, end)) {
            header(begin + kHeaderMarker.size(), end);  // what piece() would find first
        } else {
            piece(begin, end, *how, startsLine(begin, p));
        }
        if (*how == PieceEnd::Stream) return span.end;
        lineStart_ = *how != PieceEnd::Lf;
        p = end + lineEndSize(*how);
    }
}

// The first byte from `from` on (the text from p to there being known to hold
// none) that makes its piece matter, or the span's end. Outside a data block
// that is the start of a marker; inside, see NotableInBlock.
template <class Store>
const char* PatchReader<Store>::nextNotable(const char* p, const char* from) const {
    const char* const end = span_.end;
    if (!inData_) {
        for (const char* at = scan::find(from, end, MarkerWords{}); at != end;
             at = scan::find(at + 1, end, MarkerWords{})) {
            if (markerAt(at, kHeaderP, kHeaderMarker, p, end)) return at - kHeaderP;
            if (markerAt(at, kDataP, kDataMarker, p, end)) return at - kDataP;
        }
        return end;
    }
    // An empty line at the very front has no line end before it in the text to be found by.
    if (from == p && p != end && *p == '\r' && lineStart_) return p;
    const char* at = scan::find(from, end, NotableInBlock{});
    while (at != end && !notableInBlock(at, p)) at = scan::find(at + 1, end, NotableInBlock{});
    return at;
}

template <class Store>
bool PatchReader<Store>::notableInBlock(const char* at, const char* p) const {
    switch (*at) {
    case ':':
        return true;
    case ';':
        return at == p || at[-1] == '\r' || at[-1] == '\n';
    case 'P':
        return startsMarker(at, p, span_.end);
    default: {  // a CR: the end of a blank line?
        const char* const begin = pieceStart(at, p);
        return startsLine(begin, p) && scan::none(begin, at, kNonSpaces);
    }
    }
}

// The start of the piece that holds `at`: just past the last line break before
// it, or p, the start of the first piece not yet read.
template <class Store>
const char* PatchReader<Store>::pieceStart(const char* at, const char* p) const {
    const char* const floor = std::max(p, std::min(at, breakFreeUntil_));
    const char* const begin = scan::afterLast(floor, at, kBreaks);
    return begin == floor ? p : begin;
}

template <class Store>
bool PatchReader<Store>::startsLine(const char* begin, const char* p) const {
    if (begin == p) return lineStart_;
    // After an LF, a line starts only if the LF ends a CR LF; pieces start past a CR LF
    // pair, so a CR before it lies after p.
    return begin[-1] == '\r' || (begin - 1 > p && begin[-2] == '\r');
}

// How the piece whose line break (or the span's end) is at `at` ends; none
// when that is not known yet.
template <class Store>
std::optional<PieceEnd> PatchReader<Store>::pieceEnd(const char* at) const {
    if (at == span_.end) return span_.last ? std::optional(PieceEnd::Stream) : std::nullopt;
    if (*at == '\n') return PieceEnd::Lf;
    if (at + 1 == span_.end) return span_.last ? std::optional(PieceEnd::Cr) : std::nullopt;
    return at[1] == '\n' ? PieceEnd::CrLf : PieceEnd::Cr;
}

// Nothing from p to the span's end matters yet. Outside a data block, only a
// marker cut by the span's end may; inside, the last piece may still get a
// colon, a marker or the end of a blank line.
template <class Store>
const char* PatchReader<Store>::carryQuiet(const char* p) {
    const char* const end = span_.end;
    if (span_.last) return end;
    const auto size = static_cast<std::size_t>(end - p);
    if (!inData_) return end - std::min(kMarkerTail, size);
    // A CR at the very end may still be the first half of a CR LF.
    const char* const begin = pieceStart(size > 0 && end[-1] == '\r' ? end - 1 : end, p);
    const auto carried = static_cast<std::size_t>(end - begin);
    lineStart_ = startsLine(begin, p);
    carriedQuiet_ = carriedBreakFree_ = carried - std::min(kMarkerTail, carried);
    return begin;
}

template <class Store>
const char* PatchReader<Store>::carryNotable(const char* begin, const char* notable, bool lineStart) {
    lineStart_ = lineStart;
    carriedQuiet_ = static_cast<std::size_t>(notable - begin);
    carriedBreakFree_ = static_cast<std::size_t>(span_.end - begin) - 1;
    return begin;
}

// ---- The rules ----

// A piece is classified by the first test that holds: a header marker, a data
// marker, a ';' in front, or else, inside a data block, a data line. A whole line
// that is empty once trimmed closes the data block, and holds nothing else.
template <class Store>
void PatchReader<Store>::piece(const char* begin, const char* end, PieceEnd how, bool lineStart) {
    if (lineStart && how != PieceEnd::Lf && (begin == end || *begin == ' ') && scan::none(begin, end, kNonSpaces)) {
        inData_ = false;
        return;
    }
    const Markers markers = findMarkers(begin, end);
    if (markers.header) {
        header(markers.header + kHeaderMarker.size(), end);
    } else if (markers.data) {
        newRecord(begin);
    } else if (begin != end && *begin == ';') {
        inData_ = false;
    } else if (inData_) {
        dataLine(begin, end, how);
    }
}

// The header's name is the first word of the text after its marker, trimmed.
template <class Store>
void PatchReader<Store>::header(const char* rest, const char* end) {
    const char* const word = scan::find(rest, end, kNonSpaces);
    setHeaderName(word, scan::find(word, end, kSpaces));
}

// The latest header's name becomes the one before it.
template <class Store>
void PatchReader<Store>::setHeaderName(const char* begin, const char* end) {
    latestHeader_ ^= 1;
    ++headers_;
    headerNames_[latestHeader_] = {begin, static_cast<std::size_t>(end - begin)};
    namesInWindow_[latestHeader_] = true;
}

// The span's text is about to go: the names in it are copied out.
template <class Store>
void PatchReader<Store>::holdHeaderNames() {
    for (unsigned k = 0; k < 2; ++k) {
        if (!std::exchange(namesInWindow_[k], false)) continue;
        heldNames_[k].assign(headerNames_[k]);
        headerNames_[k] = heldNames_[k];
    }
}

// `at`: where the piece with the data marker begins.
template <class Store>
void PatchReader<Store>::newRecord(const char* at) {
    store_.closeRecord();
    inData_ = true;
    if (store_.full()) store_.grow(streamOffset(at), static_cast<std::uint64_t>(span_.end - at) + feed_->bytesLeft());
    // A header that repeats the one before it names nothing: its records are numbered.
    const std::string_view header = headerNames_[latestHeader_];
    if (!header.empty() && header != headerNames_[latestHeader_ ^ 1]) {
        store_.newRecord(header, headers_);
    } else {
        store_.newRecord(nextIndex_.text(), 0);
    }
    nextIndex_.next();
}

// The text after the piece's first colon, trimmed, holds the old bytes up to its
// first space and the new bytes after it, trimmed; or, with no space, new bytes
// only. A piece without a colon adds nothing.
template <class Store>
void PatchReader<Store>::dataLine(const char* begin, const char* end, PieceEnd how) {
    const char* const colon = scan::find(begin, end, scan::anyOf<':'>);
    if (colon == end) return;
    const char* const rest = scan::find(colon + 1, end, kNonSpaces);
    const char* const restEnd = scan::afterLast(rest, end, kNonSpaces);
    const char* const space = scan::find(rest, restEnd, kSpaces);
    const char* const newBegin = space == restEnd ? rest : scan::find(space, restEnd, kNonSpaces);
    store_.oldText().append(rest, space == restEnd ? rest : space);
    appendNew(newBegin, restEnd);

    if (how == PieceEnd::Stream) return;
    const auto at = [begin](const char* p) { return static_cast<std::size_t>(p - begin); };
    layout_ = Layout{at(colon), at(rest), at(space == restEnd ? rest : space), at(newBegin), at(restEnd), at(end), how};
}

template <class Store>
void PatchReader<Store>::appendNew(const char* begin, const char* end) {
    auto text = store_.newText();
    store_.newTextRun(streamOffset(begin), text.size(), static_cast<std::size_t>(end - begin));
    text.append(begin, end);
}

}  // namespace hexpane::detail
