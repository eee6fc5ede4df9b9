#include "patch/patch_reader.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <limits>
#include <optional>
#include <string_view>
#include <utility>

#include "patch/chunk_feed.h"
#include "patch/large_pages.h"
#include "patch/text_scan.h"

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

// ---- Where the new texts stand ----

// The choice is made at compile time: a reader that does not locate keeps no notes.
struct WithoutLocations {
    static constexpr bool kLocates = false;
    void newPicture() {}
    void newText(std::uint64_t, std::size_t, std::size_t) {}
};

struct WithLocations {
    static constexpr bool kLocates = true;
    std::vector<std::vector<NewTextRun>> runs;

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

template <class Notes>
class PatchReader {
public:
    explicit PatchReader(const ReadSettings& settings) : settings_(settings), heap_(settings.largePages) {}

    std::vector<PictureRecord> read(std::istream& in);
    Notes& notes() { return notes_; }

private:
    // Finding the pieces that matter in the text read.
    const char* consume(const Window& window);
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
    void newRecord();
    void growPictures();
    void closeRecord();
    void dataLine(const char* begin, const char* end, PieceEnd how);
    void appendNew(const char* begin, const char* end);

    // The shortcut through lines that share the last data line's layout.
    const char* sameLayoutRun(const char* p);
    bool appendLines(std::string& field, const char* first, std::size_t lines, std::size_t offset, std::size_t size);
    std::uint64_t streamOffset(const char* at) const {
        return window_.offset + static_cast<std::uint64_t>(at - window_.begin);
    }

    ReadSettings settings_;
    large_pages::HeapGrowth heap_;
    Notes notes_;
    std::vector<PictureRecord> pictures_;
    bool inData_ = false;
    bool lineStart_ = true;       // the piece at the front of the next text read starts a line
    std::string headerNames_[2];  // of the latest header and the one before it
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
    for (Window window{}; feed.next(window);) feed.keep(consume(window));
    closeRecord();
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
    for (const char* p = window.begin;;) {
        if (inData_ && layout_) p = sameLayoutRun(p);
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
        newRecord();
    } else if (begin != end && *begin == ';') {
        inData_ = false;
    } else if (inData_) {
        dataLine(begin, end, how);
    }
}

// The header's name is the first word of the text after its marker, trimmed.
template <class Notes>
void PatchReader<Notes>::header(const char* rest, const char* end) {
    latestHeader_ ^= 1;  // the latest header's name becomes the one before it
    const char* const word = scan::find(rest, end, kNonSpaces);
    headerNames_[latestHeader_].assign(word, scan::find(word, end, kSpaces));
}

template <class Notes>
void PatchReader<Notes>::newRecord() {
    closeRecord();
    inData_ = true;
    const std::size_t index = pictures_.size();
    if (index == pictures_.capacity()) growPictures();
    PictureRecord& record = pictures_.emplace_back();
    notes_.newPicture();
    // A header that repeats the one before it names nothing: its records are numbered.
    const std::string& header = headerNames_[latestHeader_];
    if (!header.empty() && header != headerNames_[latestHeader_ ^ 1]) {
        record.name = header;
    } else {
        char digits[std::numeric_limits<std::size_t>::digits10 + 1];
        record.name.assign(digits, std::to_chars(digits, std::end(digits), index).ptr);
    }
}

// The list doubles as a vector does, but the new room is asked for in large pages
// before the pictures move into it: a patch of nothing but data markers makes a
// list six times its size.
template <class Notes>
void PatchReader<Notes>::growPictures() {
    std::vector<PictureRecord> bigger;
    bigger.reserve(std::max<std::size_t>(16, pictures_.capacity() * 2));
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

// ---- The shortcut ----

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
