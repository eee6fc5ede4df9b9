// The patch reader's general path, in the order of the format's rules: the
// pieces of each line, the class of a piece, then what a header, a data marker
// and a data line do. The shortcuts it takes through common lines are in
// marker_lines.h and same_layout_run.h.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <istream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "patch/detail/chunk_feed.h"
#include "patch/detail/large_pages.h"
#include "patch/detail/markers.h"
#include "patch/detail/pieces.h"
#include "patch/detail/read_settings.h"
#include "patch/detail/records.h"
#include "patch/detail/text_scan.h"
#include "patch/patch_reader.h"

namespace hexpane::detail {

struct LineMarks;

template <class Notes>
class PatchReader {
public:
    explicit PatchReader(const ReadSettings& settings) : settings_(settings), heap_(settings.largePages) {}

    std::vector<PictureRecord> read(std::istream& in);
    Notes& notes() { return notes_; }

private:
    // Finding the pieces that matter in the text read.
    const char* consume(const Window& window);
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
    void growPictures(const char* at);
    void closeRecord();
    void dataLine(const char* begin, const char* end, PieceEnd how);
    void appendNew(const char* begin, const char* end);

    // The shortcut through lines that are a marker and little else.
    const char* markerLines(const char* p);
    std::size_t markerLine(const char* p, std::size_t at, const LineMarks& marks);

    // The shortcut through lines that share the last data line's layout.
    const char* sameLayoutRun(const char* p);
    bool appendLines(std::string& field, const char* first, std::size_t lines, std::size_t offset, std::size_t size);
    std::uint64_t streamOffset(const char* at) const {
        return window_.offset + static_cast<std::uint64_t>(at - window_.begin);
    }

    ReadSettings settings_;
    large_pages::HeapGrowth heap_;
    Notes notes_;
    ChunkFeed* feed_ = nullptr;
    std::vector<PictureRecord> pictures_;
    DecimalCounter nextIndex_;
    bool inData_ = false;
    bool lineStart_ = true;  // the piece at the front of the next text read starts a line
    // The names of the latest header and the one before it: text in this window
    // until it is done with, then in heldNames_. A header names in one step.
    std::string_view headerNames_[2];
    bool namesInWindow_[2] = {false, false};
    std::string heldNames_[2];
    unsigned latestHeader_ = 0;
    std::optional<Layout> layout_;  // of the last data line the rule read

    Window window_{};
    const char* nextMarkerWord_ = nullptr;  // in this window, the next 'P' that may begin a marker, once sought
    // Of the unfinished piece carried to the next window: how many of its first
    // bytes hold nothing notable, and how many hold no line break; and in this
    // window, where those end.
    std::size_t carriedQuiet_ = 0;
    std::size_t carriedBreakFree_ = 0;
    const char* quietUntil_ = nullptr;
    const char* breakFreeUntil_ = nullptr;
};

template <class Notes>
std::vector<PictureRecord> PatchReader<Notes>::read(std::istream& in) {
    ChunkFeed feed(in, settings_.chunkSize, settings_.largePages);
    feed_ = &feed;
    for (Window window{}; feed.next(window);) feed.keep(consume(window));
    feed_ = nullptr;
    closeRecord();
    giveBackUnpromised(pictures_);
    notes_.giveBack();
    return std::move(pictures_);
}

// Reads the pieces of the window that matter, and returns where the unfinished
// text begins: a piece counts as finished once its line break and the byte after
// it (which tells CR LF from a lone CR) are read, or the stream has ended.
template <class Notes>
const char* PatchReader<Notes>::consume(const Window& window) {
    window_ = window;
    nextMarkerWord_ = nullptr;
    heap_.notice();
    quietUntil_ = window.begin + std::exchange(carriedQuiet_, 0);
    breakFreeUntil_ = window.begin + std::exchange(carriedBreakFree_, 0);
    const char* const unfinished = consumePieces();
    holdHeaderNames();
    return unfinished;
}

template <class Notes>
const char* PatchReader<Notes>::consumePieces() {
    const Window& window = window_;
    for (const char* p = window.begin;;) {
        if (inData_ && layout_) p = sameLayoutRun(p);
        p = markerLines(p);
        const char* const notable = nextNotable(p, std::max(p, quietUntil_));
        if (notable == window.end) return carryQuiet(p);
        // Outside a data block, what comes before a marker does not matter.
        const char* const begin = inData_ ? pieceStart(notable, p) : notable;
        const char* const end = scan::find(std::max(notable, breakFreeUntil_), window.end, kBreaks);
        const std::optional<PieceEnd> how = pieceEnd(end);
        if (!how) return carryNotable(begin, notable, startsLine(begin, p));
        if (!inData_ && markerAt(begin + kHeaderP, kHeaderP, kHeaderMarker, begin, end)) {
            header(begin + kHeaderMarker.size(), end);  // what piece() would find first
        } else {
            piece(begin, end, *how, startsLine(begin, p));
        }
        if (*how == PieceEnd::Stream) return window.end;
        lineStart_ = *how != PieceEnd::Lf;
        p = end + lineEndSize(*how);
    }
}

// The first byte from `from` on (the text from p to there being known to hold
// none) that makes its piece matter, or the window's end. Outside a data block
// that is the start of a marker; inside, see NotableInBlock.
template <class Notes>
const char* PatchReader<Notes>::nextNotable(const char* p, const char* from) const {
    const char* const end = window_.end;
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

template <class Notes>
bool PatchReader<Notes>::notableInBlock(const char* at, const char* p) const {
    switch (*at) {
    case ':':
        return true;
    case ';':
        return at == p || at[-1] == '\r' || at[-1] == '\n';
    case 'P':
        return startsMarker(at, p, window_.end);
    default: {  // a CR: the end of a blank line?
        const char* const begin = pieceStart(at, p);
        return startsLine(begin, p) && scan::none(begin, at, kNonSpaces);
    }
    }
}

// The start of the piece that holds `at`: just past the last line break before
// it, or p, the start of the first piece not yet read.
template <class Notes>
const char* PatchReader<Notes>::pieceStart(const char* at, const char* p) const {
    const char* const floor = std::max(p, std::min(at, breakFreeUntil_));
    const char* const begin = scan::afterLast(floor, at, kBreaks);
    return begin == floor ? p : begin;
}

template <class Notes>
bool PatchReader<Notes>::startsLine(const char* begin, const char* p) const {
    if (begin == p) return lineStart_;
    // After an LF, a line starts only if the LF ends a CR LF; pieces start past a CR LF
    // pair, so a CR before it lies after p.
    return begin[-1] == '\r' || (begin - 1 > p && begin[-2] == '\r');
}

// How the piece whose line break (or the window's end) is at `at` ends; none
// when that is not known yet.
template <class Notes>
std::optional<PieceEnd> PatchReader<Notes>::pieceEnd(const char* at) const {
    if (at == window_.end) return window_.last ? std::optional(PieceEnd::Stream) : std::nullopt;
    if (*at == '\n') return PieceEnd::Lf;
    if (at + 1 == window_.end) return window_.last ? std::optional(PieceEnd::Cr) : std::nullopt;
    return at[1] == '\n' ? PieceEnd::CrLf : PieceEnd::Cr;
}

// Nothing from p to the window's end matters yet. Outside a data block, only a
// marker cut by the window's end may; inside, the last piece may still get a
// colon, a marker or the end of a blank line.
template <class Notes>
const char* PatchReader<Notes>::carryQuiet(const char* p) {
    const char* const end = window_.end;
    if (window_.last) return end;
    const auto size = static_cast<std::size_t>(end - p);
    if (!inData_) return end - std::min(kMarkerTail, size);
    // A CR at the very end may still be the first half of a CR LF.
    const char* const begin = pieceStart(size > 0 && end[-1] == '\r' ? end - 1 : end, p);
    const auto carried = static_cast<std::size_t>(end - begin);
    lineStart_ = startsLine(begin, p);
    carriedQuiet_ = carriedBreakFree_ = carried - std::min(kMarkerTail, carried);
    return begin;
}

template <class Notes>
const char* PatchReader<Notes>::carryNotable(const char* begin, const char* notable, bool lineStart) {
    lineStart_ = lineStart;
    carriedQuiet_ = static_cast<std::size_t>(notable - begin);
    carriedBreakFree_ = static_cast<std::size_t>(window_.end - begin) - 1;
    return begin;
}

// ---- The rules ----

// A piece is classified by the first test that holds: a header marker, a data
// marker, a ';' in front, or else, inside a data block, a data line. A whole line
// that is empty once trimmed closes the data block, and holds nothing else.
template <class Notes>
void PatchReader<Notes>::piece(const char* begin, const char* end, PieceEnd how, bool lineStart) {
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
template <class Notes>
void PatchReader<Notes>::header(const char* rest, const char* end) {
    const char* const word = scan::find(rest, end, kNonSpaces);
    setHeaderName(word, scan::find(word, end, kSpaces));
}

// The latest header's name becomes the one before it.
template <class Notes>
void PatchReader<Notes>::setHeaderName(const char* begin, const char* end) {
    latestHeader_ ^= 1;
    headerNames_[latestHeader_] = {begin, static_cast<std::size_t>(end - begin)};
    namesInWindow_[latestHeader_] = true;
}

// The window's text is about to go: the names in it are copied out.
template <class Notes>
void PatchReader<Notes>::holdHeaderNames() {
    for (unsigned k = 0; k < 2; ++k) {
        if (!std::exchange(namesInWindow_[k], false)) continue;
        heldNames_[k].assign(headerNames_[k]);
        headerNames_[k] = heldNames_[k];
    }
}

// `at`: where the piece with the data marker begins.
template <class Notes>
void PatchReader<Notes>::newRecord(const char* at) {
    closeRecord();
    inData_ = true;
    if (pictures_.size() == pictures_.capacity()) growPictures(at);
    PictureRecord& record = pictures_.emplace_back();
    notes_.newPicture();
    // A header that repeats the one before it names nothing: its records are numbered.
    const std::string_view header = headerNames_[latestHeader_];
    record.name.assign(!header.empty() && header != headerNames_[latestHeader_ ^ 1] ? header : nextIndex_.text());
    nextIndex_.next();
}

// Room for more records. Each move of the list moves every record, and a patch of
// nothing but data markers makes a list six times its size; so once the list
// holds a megabyte, rather than doubling, it grows at once to the records the
// rest of the stream promises at the rate so far, an eighth to spare, never more
// than its bytes can hold; when that is more than double, and the memory is to
// be had. A smaller list moves at little cost, and grows as a vector does. The
// new room is asked for in large pages before the pictures move into it.
template <class Notes>
void PatchReader<Notes>::growPictures(const char* at) {
    const std::size_t size = pictures_.size();
    const std::size_t doubled = std::max(kFirstRecords, size * 2);
    const auto records = static_cast<double>(size);
    const auto read = static_cast<double>(std::max<std::uint64_t>(streamOffset(at), 1));
    const double left = static_cast<double>(window_.end - at) + static_cast<double>(feed_->bytesLeft());
    const double promised = std::min({records * (1 + left / read) * 1.125, records + (left + 1) / kBytesPerRecord,
                                      static_cast<double>(pictures_.max_size())});
    std::vector<PictureRecord> bigger;
    const auto reserve = [&](std::size_t capacity) {
        bigger.reserve(capacity);
        notes_.reserve(capacity);
    };
    if (size >= kRecordsBeforePromises && promised > static_cast<double>(doubled)) {
        try {
            reserve(static_cast<std::size_t>(promised));
        } catch (const std::bad_alloc&) {
            bigger = std::vector<PictureRecord>();
        }
    }
    if (bigger.capacity() == 0) reserve(doubled);
    if (settings_.largePages) large_pages::advise(bigger.data(), bigger.capacity() * sizeof(PictureRecord));
    std::move(pictures_.begin(), pictures_.end(), std::back_inserter(bigger));
    pictures_ = std::move(bigger);
}

// Appending doubles a field's capacity as it grows; once no more data can reach a
// record, give back what it holds beyond a little, so that the list costs about
// what the pictures hold.
template <class Notes>
void PatchReader<Notes>::closeRecord() {
    if (pictures_.empty()) return;
    for (std::string* field : {&pictures_.back().oldHex, &pictures_.back().newHex}) {
        if (field->capacity() - field->size() > kSpareCapacity) field->shrink_to_fit();
    }
}

// The text after the piece's first colon, trimmed, holds the old bytes up to its
// first space and the new bytes after it, trimmed; or, with no space, new bytes
// only. A piece without a colon adds nothing.
template <class Notes>
void PatchReader<Notes>::dataLine(const char* begin, const char* end, PieceEnd how) {
    const char* const colon = scan::find(begin, end, scan::anyOf<':'>);
    if (colon == end) return;
    const char* const rest = scan::find(colon + 1, end, kNonSpaces);
    const char* const restEnd = scan::afterLast(rest, end, kNonSpaces);
    const char* const space = scan::find(rest, restEnd, kSpaces);
    const char* const newBegin = space == restEnd ? rest : scan::find(space, restEnd, kNonSpaces);
    pictures_.back().oldHex.append(rest, space == restEnd ? rest : space);
    appendNew(newBegin, restEnd);

    if (how == PieceEnd::Stream) return;
    const auto at = [begin](const char* p) { return static_cast<std::size_t>(p - begin); };
    layout_ = Layout{at(colon), at(rest), at(space == restEnd ? rest : space), at(newBegin), at(restEnd), at(end), how};
}

template <class Notes>
void PatchReader<Notes>::appendNew(const char* begin, const char* end) {
    std::string& text = pictures_.back().newHex;
    notes_.newText(streamOffset(begin), text.size(), static_cast<std::size_t>(end - begin));
    text.append(begin, end);
}

}  // namespace hexpane::detail
