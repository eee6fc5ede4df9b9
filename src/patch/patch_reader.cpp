#include "patch/patch_reader.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <limits>
#include <optional>
#include <string_view>
#include <utility>

#include "patch/detail/chunk_feed.h"
#include "patch/detail/large_pages.h"
#include "patch/detail/read_settings.h"
#include "patch/detail/text_scan.h"

namespace hexpane {

namespace {

// ---- Markers ----

constexpr std::string_view kHeaderMarker = "##### Picture ";
constexpr std::string_view kDataMarker = "; Picture Data";

// Both markers hold the word "Picture" after a space: a 'P' with a space before
// it, an 'i' after it and an 'e' six bytes on. A byte that is no such 'P' begins
// no marker's word, so the searches look for these 'P's and check the rest.
constexpr std::size_t kHeaderP = kHeaderMarker.find('P');
constexpr std::size_t kDataP = kDataMarker.find('P');
static_assert(kHeaderMarker.substr(kHeaderP - 1, 8) == " Picture" && kDataMarker.substr(kDataP - 1, 8) == " Picture");

struct MarkerWords {
    scan::Marks operator()(const char* at) const {
        using scan::load;
        const scan::Marks p = load(at) == 'P';
        if (!scan::bits(p)) return p;  // as in hex data, nearly always
        return p & (load(at - 1) == ' ') & (load(at + 1) == 'i') & (load(at + 6) == 'e');
    }
};

// Whether `marker` lies in [begin, end) with its 'P' at `p`.
bool markerAt(const char* p, std::size_t pOffset, std::string_view marker, const char* begin, const char* end) {
    if (static_cast<std::size_t>(p - begin) < pOffset) return false;
    const char* const at = p - pOffset;
    return static_cast<std::size_t>(end - at) >= marker.size() && std::memcmp(at, marker.data(), marker.size()) == 0;
}

bool startsMarker(const char* p, const char* begin, const char* end) {
    return markerAt(p, kHeaderP, kHeaderMarker, begin, end) || markerAt(p, kDataP, kDataMarker, begin, end);
}

struct Markers {
    const char* header = nullptr;  // the first header marker
    bool data = false;
};

Markers findMarkers(const char* begin, const char* end) {
    Markers found;
    for (const char* p = scan::find(begin, end, MarkerWords{}); p != end; p = scan::find(p + 1, end, MarkerWords{})) {
        if (markerAt(p, kHeaderP, kHeaderMarker, begin, end)) {
            found.header = p - kHeaderP;
            return found;  // a header wins over any data marker
        }
        found.data = found.data || markerAt(p, kDataP, kDataMarker, begin, end);
    }
    return found;
}

// ---- Lines and pieces ----

// Lines end at CR LF or a lone CR; a lone LF ends a piece of a line.
constexpr auto kBreaks = scan::anyOf<'\r', '\n'>;
constexpr auto kSpaces = scan::anyOf<' '>;
constexpr auto kNonSpaces = scan::noneOf<' '>;

// Copies sixteen bytes and marks those that might end a part of a data line, or
// more: colons, spaces and the bytes below; and a 'P', which may begin a marker.
scan::Marks copyBlock(char* to, const char* from) {
    const scan::Bytes bytes = scan::load(from);
    std::memcpy(to, &bytes, sizeof bytes);
    return (bytes <= ' ') | (bytes == ':') | (bytes == 'P');
}

enum class PieceEnd { CrLf, Cr, Lf, Stream };

std::size_t lineEndSize(PieceEnd end) { return end == PieceEnd::CrLf ? 2 : 1; }

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

// ---- The records ----

// The list's first room, in records.
constexpr std::size_t kFirstRecords = 16;

// Gives back the room reserved for records the stream seemed to promise and did
// not hold: more than a vector that doubles would keep.
template <class T>
void giveBackUnpromised(std::vector<T>& list) {
    if (list.capacity() / 2 > list.size() + kFirstRecords) list.shrink_to_fit();
}

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

// The list grows by what the stream promises once it holds this many records.
constexpr std::size_t kRecordsBeforePromises = (std::size_t{1} << 20) / sizeof(PictureRecord);

// Each record needs a piece of its own that holds a data marker, and pieces are
// parted by a line break: this many bytes at least, but for the last record.
constexpr std::size_t kBytesPerRecord = kDataMarker.size() + 1;

// ---- Where the new texts stand ----

// The choice is made at compile time: a reader that does not locate keeps no notes.
struct WithoutLocations {
    static constexpr bool kLocates = false;
    void reserve(std::size_t) {}
    void giveBack() {}
    void newPicture() {}
    void newText(std::uint64_t, std::size_t, std::size_t) {}
};

struct WithLocations {
    static constexpr bool kLocates = true;
    std::vector<std::vector<NewTextRun>> runs;

    void reserve(std::size_t pictures) { runs.reserve(pictures); }
    void giveBack() { giveBackUnpromised(runs); }
    void newPicture() { runs.emplace_back(); }
    void newText(std::uint64_t streamOffset, std::size_t textOffset, std::size_t length) {
        if (length > 0) runs.back().push_back({streamOffset, textOffset, length});
    }
};

// A record's field may keep this much spare capacity when the record closes.
constexpr std::size_t kSpareCapacity = 256;

// Outside a data block only markers matter; a marker can straddle the end of
// the text read, so this much of it is read again with the next.
constexpr std::size_t kMarkerTail = kHeaderMarker.size() - 1;

constexpr std::size_t kLineSpan = 64;
constexpr std::size_t kMarkerSize = kHeaderMarker.size();
static_assert(kDataMarker.size() == kMarkerSize);

struct LineMarks {
    std::uint64_t spaces = 0, breaks = 0, pees = 0;  // the first byte in the lowest bit
};

LineMarks lineMarks(const char* at) {
    LineMarks marks;
    for (std::size_t i = 0; i < kLineSpan; i += scan::kWidth) {
        const scan::Bytes bytes = scan::load(at + i);
        marks.spaces |= std::uint64_t{scan::bits(bytes == ' ')} << i;
        marks.breaks |= std::uint64_t{scan::bits((bytes == '\r') | (bytes == '\n'))} << i;
        marks.pees |= std::uint64_t{scan::bits(bytes == 'P')} << i;
    }
    return marks;
}

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

// ---- The shortcuts ----

// Lines that are a header, or a data marker with no 'P' after it, are read here
// at once: from p (the start of a piece, or outside a data block the first byte
// after which a marker may begin) the piece's class is known, and what it holds
// is found in the marks of kLineSpan bytes, which hold a few such lines. Longer
// lines, and those near the window's end, go the general way.
constexpr std::uint64_t from(std::size_t bit) { return ~std::uint64_t{0} << bit; }

bool startsWith(const char* p, std::string_view marker) { return std::memcmp(p, marker.data(), marker.size()) == 0; }

template <class Notes>
const char* PatchReader<Notes>::markerLines(const char* p) {
    while (static_cast<std::size_t>(window_.end - p) >= kLineSpan &&
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
// the window's end lie zeros, which begin no marker.
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

// The data lines of a picture nearly all share one layout, so the lines from p on
// are read as the layout of the last data line the rule read says, without a
// search: first each line is checked for the parts in place, then the fields of
// all such lines are copied, each field growing once by what the run holds, and
// checked as they are copied. When a field holds a byte that might have made the
// rule read the line otherwise, or a 'P', the copy is undone and the lines are
// checked one by one, up to the first 'P' that may begin a marker. Returns the
// start of the first line not read.
template <class Notes>
const char* PatchReader<Notes>::sameLayoutRun(const char* p) {
    const Layout at = *layout_;
    const char* line = p;
    std::size_t lines = 0;
    for (; static_cast<std::size_t>(window_.end - line) > at.size() && at.partsAt(line); line += at.size()) ++lines;
    if (lines == 0) return p;

    PictureRecord& record = pictures_.back();
    const std::size_t oldSize = record.oldHex.size();
    const std::size_t newSize = record.newHex.size();
    const bool oldPlain = appendLines(record.oldHex, p, lines, at.oldBegin, at.oldSize());
    const bool newPlain = appendLines(record.newHex, p, lines, at.newBegin, at.newSize());
    if (!oldPlain || !newPlain) {
        record.oldHex.resize(oldSize);
        record.newHex.resize(newSize);
        if (nextMarkerWord_ == nullptr || nextMarkerWord_ < p) {
            nextMarkerWord_ = scan::find(p, window_.end, MarkerWords{});
        }
        const std::size_t candidates = std::exchange(lines, 0);
        for (line = p; lines < candidates && line + at.lineBreak <= nextMarkerWord_ && at.fits(line);
             line += at.size()) {
            ++lines;
        }
        if (lines == 0) return p;
        appendLines(record.oldHex, p, lines, at.oldBegin, at.oldSize());
        appendLines(record.newHex, p, lines, at.newBegin, at.newSize());
    }
    if constexpr (Notes::kLocates) {
        for (std::size_t k = 0; k < lines; ++k) {
            notes_.newText(streamOffset(p + k * at.size() + at.newBegin), newSize + k * at.newSize(), at.newSize());
        }
    }
    heap_.notice();
    lineStart_ = at.end != PieceEnd::Lf;
    return line;
}

// Appends `size` bytes from `offset` on of each of `lines` lines of the layout
// from `first` on. Tells whether none of them is a separator or a 'P'.
template <class Notes>
bool PatchReader<Notes>::appendLines(std::string& field, const char* first, std::size_t lines, std::size_t offset,
                                     std::size_t size) {
    if (size == 0) return true;
    const std::size_t stride = layout_->size();
    const std::size_t was = field.size();
    // Copied sixteen bytes at a time, each line's copy running on into the room
    // for the next, and the last into room given back after.
    field.resize(was + lines * size + scan::kWidth);
    char* to = field.data() + was;
    const std::size_t whole = size / scan::kWidth * scan::kWidth;
    const scan::Marks last = scan::lanesBelow(size - whole);
    scan::Marks found{};
    for (const char* from = first + offset; lines > 0; --lines, from += stride, to += size) {
        std::size_t i = 0;
        for (; i < whole; i += scan::kWidth) found |= copyBlock(to + i, from + i);
        if (i < size) found |= copyBlock(to + i, from + i) & last;
    }
    field.resize(field.size() - scan::kWidth);
    return scan::bits(found) == 0;
}
}  // namespace

std::vector<PictureRecord> readPatch(std::istream& in) { return readPatchWith(in, ReadSettings{}); }

LocatedPatch readPatchLocated(std::istream& in) { return readPatchLocatedWith(in, ReadSettings{}); }

std::vector<PictureRecord> readPatchWith(std::istream& in, const ReadSettings& settings) {
    return PatchReader<WithoutLocations>(settings).read(in);
}

LocatedPatch readPatchLocatedWith(std::istream& in, const ReadSettings& settings) {
    PatchReader<WithLocations> reader(settings);
    LocatedPatch patch;
    patch.pictures = reader.read(in);
    patch.newTextRuns = std::move(reader.notes().runs);
    return patch;
}

std::int32_t pixelCount(const PictureRecord& picture) { return pixelCount(picture.newHex.size()); }

std::int32_t pixelCount(std::size_t newHexLength) {
    const std::size_t count = newHexLength / 2;
    return count > std::size_t{INT32_MAX} ? -1 : static_cast<std::int32_t>(count);
}

}  // namespace hexpane
