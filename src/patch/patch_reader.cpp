#include "patch/patch_reader.h"

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string_view>
#include <utility>

namespace hexpane {

namespace {

constexpr std::string_view kHeaderMarker = "##### Picture ";
constexpr std::string_view kDataMarker = "; Picture Data";

// Both markers hold a 'P' at a fixed offset, so one scan for that letter finds
// either; hex data holds none, so a data line needs no marker check once it is
// known to hold no 'P'.
constexpr std::size_t kHeaderP = kHeaderMarker.find('P');
constexpr std::size_t kDataP = kDataMarker.find('P');

// The first read is small, so that a small stream costs little; every read that
// fills the buffer doubles it, up to chunks of a megabyte.
constexpr std::size_t kFirstChunk = std::size_t{4} << 10;
constexpr std::size_t kChunkSize = std::size_t{1} << 20;

// The scans read whole words; the buffer has this much room past its text for
// the line feed that stops them and the rest of its word.
constexpr std::size_t kSlack = 8;

// Grown with realloc, which moves a large block by remapping its pages instead of
// copying them: a piece of many megabytes then costs about its own size, not two or three times it.
class Buffer {
public:
    explicit Buffer(std::size_t size) : data_(static_cast<char*>(std::malloc(size + kSlack))), size_(size) {
        if (!data_) throw std::bad_alloc();
    }
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;
    ~Buffer() { std::free(data_); }

    void grow() {
        void* grown = std::realloc(data_, size_ * 2 + kSlack);
        if (!grown) throw std::bad_alloc();
        data_ = static_cast<char*>(grown);
        size_ *= 2;
    }
    char* data() { return data_; }
    std::size_t size() const { return size_; }

    // Puts a line feed at `end`, where the text read so far ends, so that every scan
    // stops there at the latest; the bytes after it are zeroed for the word scans.
    void seal(char* end) {
        std::memset(end, 0, kSlack);
        *end = '\n';
    }

private:
    char* data_;
    std::size_t size_;
};

// Only the space (32) is trimmed; tabs are ordinary characters.
std::string_view trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool isLineBreak(char c) { return c == '\r' || c == '\n'; }

// Word-at-a-time byte tests. below() marks, in the high bit of each byte, the bytes
// under `limit` (at most 0x80); a borrow may also mark bytes above the first marked
// one, so only the lowest mark is sure, and that is the only one used.
constexpr std::uint64_t kOnes = ~std::uint64_t{0} / 0xFF;
constexpr std::uint64_t kHighs = kOnes * 0x80;

constexpr std::uint64_t below(std::uint64_t word, unsigned limit) { return (word - kOnes * limit) & ~word & kHighs; }
constexpr std::uint64_t equal(std::uint64_t word, char c) {
    return below(word ^ (kOnes * static_cast<unsigned char>(c)), 1);
}

// The first byte from `p` on that is below `limit`, or a 'P' when `markers`, or a
// ':' when `colon`. Only the sealed end of the buffer bounds the scan.
template <unsigned limit, bool markers = false, bool colon = false>
const char* nextStop(const char* p) {
    if constexpr (std::endian::native == std::endian::little) {
        for (;; p += sizeof(std::uint64_t)) {
            std::uint64_t word;
            std::memcpy(&word, p, sizeof word);
            std::uint64_t found = below(word, limit);
            if constexpr (markers) found |= equal(word, 'P');
            if constexpr (colon) found |= equal(word, ':');
            if (found) return p + std::countr_zero(found) / 8;
        }
    } else {
        while (static_cast<unsigned char>(*p) >= limit && (!markers || *p != 'P') && (!colon || *p != ':')) ++p;
        return p;
    }
}

// In a data line the scans stop at spaces and line breaks, and at whatever else
// lies below a space.
template <bool markers, bool colon = false>
const char* nextField(const char* p) {
    return nextStop<' ' + 1, markers, colon>(p);
}

const char* nextLineBreak(const char* p) {
    p = nextStop<'\r' + 1>(p);
    while (!isLineBreak(*p)) p = nextStop<'\r' + 1>(p + 1);
    return p;
}

// True when none of the `size` bytes at `p` is a space or below it (line breaks
// among them), nor a ':' with `colon`. Branch-free per word, as the bytes to
// check are known beforehand; reads up to a word past them, which the sealed end
// of the buffer allows.
template <bool colon = false>
bool printable(const char* p, std::size_t size) {
    if constexpr (std::endian::native == std::endian::little) {
        auto marks = [](std::uint64_t word) {
            std::uint64_t found = below(word, ' ' + 1);
            if constexpr (colon) found |= equal(word, ':');
            return found;
        };
        std::uint64_t found = 0;
        std::uint64_t word;
        for (; size >= sizeof word; p += sizeof word, size -= sizeof word) {
            std::memcpy(&word, p, sizeof word);
            found |= marks(word);
        }
        if (size > 0) {
            // A borrow marks only bytes above a marked one, so masking off the bytes
            // past the end leaves no false mark.
            std::memcpy(&word, p, sizeof word);
            found |= marks(word) & ((std::uint64_t{1} << (8 * size)) - 1);
        }
        return found == 0;
    } else {
        return nextStop<' ' + 1, false, colon>(p) >= p + size;
    }
}

const char* find(const char* from, const char* end, char c) {
    const void* at = std::memchr(from, c, static_cast<std::size_t>(end - from));
    return at ? static_cast<const char*>(at) : end;
}

struct Markers {
    std::size_t header = std::string_view::npos;  // position of the first header marker
    bool data = false;
};

Markers findMarkers(std::string_view piece) {
    Markers found;
    const char* const begin = piece.data();
    const char* const end = begin + piece.size();
    for (const char* p = find(begin, end, 'P'); p != end; p = find(p + 1, end, 'P')) {
        const auto at = static_cast<std::size_t>(p - begin);
        if (at >= kHeaderP && piece.substr(at - kHeaderP, kHeaderMarker.size()) == kHeaderMarker) {
            found.header = at - kHeaderP;
            return found;  // a header wins over any data marker
        }
        if (at >= kDataP && piece.substr(at - kDataP, kDataMarker.size()) == kDataMarker) {
            found.data = true;
        }
    }
    return found;
}

// Where the parts of a data line lie, counted from its start: the colon, the
// space between the fields and the line break. lineBreak 0: none known yet.
struct Layout {
    std::size_t colon = 0, space = 0, lineBreak = 0;

    std::size_t firstSize() const { return space - colon - 2; }
    std::size_t secondSize() const { return lineBreak - space - 1; }
};

// A record's field may keep this much spare capacity when the record closes.
constexpr std::size_t kSpareCapacity = 256;

class PatchReader {
public:
    // With runs, where the new texts stand is noted in it.
    explicit PatchReader(std::vector<std::vector<NewTextRun>>* runs = nullptr) : runs_(runs) {}
    std::vector<PictureRecord> read(std::istream& in);

private:
    const char* sameLayoutRun(const char* begin, const char* end, bool& lineStart);
    bool fitsLayout(const char* line, const char* end);
    const char* afterLine(const char* line) const;
    const char* piece(const char* begin, const char* end, bool last);
    template <bool markers>
    const char* dataLine(const char* p, const char* end, bool last);
    void otherPiece(const char* begin, const char* stop);
    void header(std::string_view text, std::size_t markerAt);
    void newRecord();
    void closeRecord();
    void appendNew(const char* from, std::size_t size);
    void locate(const char* from, std::size_t size);

    std::vector<PictureRecord> pictures_;
    std::vector<std::vector<NewTextRun>>* runs_;
    const char* base_ = nullptr;    // the start of the buffer
    std::uint64_t baseOffset_ = 0;  // where in the stream base_ stands
    bool inData_ = false;
    Layout layout_;                // of the last data line read in full
    const char* nextP_ = nullptr;  // in this chunk, the first 'P' after the last run checked, or null
    std::string headerName_;
    std::string previousHeaderName_;
};

// Lines end at CR LF or a lone CR; a lone LF splits a line into pieces. Only the
// unfinished piece is carried from one chunk to the next, so memory follows the
// longest piece, not the file.
// NOLINTNEXTLINE(readability-function-cognitive-complexity): to be split with the reader's grammar
std::vector<PictureRecord> PatchReader::read(std::istream& in) {
    Buffer buffer(kFirstChunk);
    std::size_t held = 0;   // bytes of the unfinished piece at the front of buffer
    bool filled = false;    // the last read filled the buffer
    bool afterCr = false;   // the previous chunk ended with a CR
    bool lineStart = true;  // the current piece is the first of its line

    auto endOfLine = [&](const char* begin, const char* end) {
        // A line that is empty once trimmed holds no LF, so it is this one piece.
        if (lineStart && trimmed(std::string_view(begin, static_cast<std::size_t>(end - begin))).empty()) {
            inData_ = false;
        }
        lineStart = true;
    };

    for (;;) {
        if (held == buffer.size() || (filled && buffer.size() < kChunkSize)) buffer.grow();
        in.read(buffer.data() + held, static_cast<std::streamsize>(buffer.size() - held));
        const auto got = static_cast<std::size_t>(in.gcount());
        if (got == 0) break;
        filled = held + got == buffer.size();

        char* const end = buffer.data() + held + got;
        buffer.seal(end);
        base_ = buffer.data();
        nextP_ = nullptr;
        const char* start = buffer.data();
        if (afterCr && *start == '\n') ++start;
        afterCr = false;

        for (;;) {
            if (inData_ && layout_.lineBreak != 0) start = sameLayoutRun(start, end, lineStart);
            const char* const stop = piece(start, end, false);
            if (stop == end) break;
            if (*stop == '\n') {
                lineStart = false;
                start = stop + 1;
                continue;
            }
            endOfLine(start, stop);
            start = stop + 1;
            if (start == end) {
                afterCr = true;
                break;
            }
            if (*start == '\n') ++start;
        }

        held = static_cast<std::size_t>(end - start);
        baseOffset_ += static_cast<std::uint64_t>(start - buffer.data());
        if (start != buffer.data()) std::memmove(buffer.data(), start, held);
    }

    if (held > 0) {
        char* const end = buffer.data() + held;
        buffer.seal(end);
        base_ = buffer.data();
        piece(buffer.data(), end, true);
        endOfLine(buffer.data(), end);
    }
    closeRecord();
    return std::move(pictures_);
}

// Handles the piece that starts at `begin` and returns the CR or LF that ends it.
// When the text read so far ends first, returns `end` and leaves the piece for the
// next chunk, unless it is the `last`, which `end` ends.
const char* PatchReader::piece(const char* begin, const char* end, bool last) {
    if (inData_ && *begin != ';') {
        if (const char* stop = dataLine<true>(begin, end, last)) return stop;
    }
    const char* const stop = nextLineBreak(begin);
    if (stop == end && !last) return end;
    otherPiece(begin, stop);
    return stop;
}

// The data lines of a picture nearly all share one layout: the colon, one space,
// the first field, one space, the second field, the line break. So the lines from
// `begin` on are checked against the layout of the last data line read in full,
// each at once and without a scan that stops at each part, and the run of lines
// that fit is read in two passes: the first checks and counts them, so that each
// field of the record grows once by what the run holds, the second copies. Returns
// where the run ends, the start of the first line that does not fit; lineStart
// tells whether that line starts a line rather than a piece.
const char* PatchReader::sameLayoutRun(const char* begin, const char* end, bool& lineStart) {
    const char* runEnd = begin;
    std::size_t lines = 0;
    for (; fitsLayout(runEnd, end); runEnd = afterLine(runEnd)) ++lines;
    if (lines == 0) return begin;

    const Layout& at = layout_;
    PictureRecord& record = pictures_.back();
    // One line more, for a shorter last line of the picture; closeRecord() leaves
    // a little spare capacity alone.
    record.oldHex.reserve(record.oldHex.size() + (lines + 1) * at.firstSize());
    record.newHex.reserve(record.newHex.size() + (lines + 1) * at.secondSize());
    const char* line = begin;
    for (std::size_t left = lines;; line = afterLine(line)) {
        record.oldHex.append(line + at.colon + 2, at.firstSize());
        if (runs_) locate(line + at.space + 1, at.secondSize());
        record.newHex.append(line + at.space + 1, at.secondSize());
        if (--left == 0) break;
    }
    lineStart = line[at.lineBreak] == '\r';
    return runEnd;
}

// Whether the line at `line` fits the layout, with its line break and the byte
// after it (an LF that may belong to it) in the text read so far. A 'P', which
// may belong to a marker, is searched for once for many lines: runs stop before it.
bool PatchReader::fitsLayout(const char* line, const char* end) {
    const Layout& at = layout_;
    if (static_cast<std::size_t>(end - line) <= at.lineBreak + 1) return false;
    if (*line == ';' || line[at.colon] != ':' || line[at.colon + 1] != ' ' || line[at.space] != ' ' ||
        !isLineBreak(line[at.lineBreak])) {
        return false;
    }
    if (!printable<true>(line, at.colon) || !printable(line + at.colon + 2, at.firstSize()) ||
        !printable(line + at.space + 1, at.secondSize())) {
        return false;
    }
    if (!nextP_ || nextP_ < line) nextP_ = find(line, end, 'P');
    return line + at.lineBreak < nextP_;
}

// The start of the piece after a line that fits the layout: past its line break,
// and past the LF of a CR LF.
const char* PatchReader::afterLine(const char* line) const {
    const char* next = line + layout_.lineBreak + 1;
    if (next[-1] == '\r' && *next == '\n') ++next;
    return next;
}

// A piece in a data block that does not start with ';' is a data line unless it holds
// a marker: the text after its first colon, trimmed, gives the old bytes up to its
// first space and the new bytes after it, or only new bytes when it has no space.
// Lines of hex data are nearly all of a patch, so a single pass finds the piece's end,
// its colon and both fields, and each field is appended once. With `markers` the pass
// also stops at a 'P', which may belong to a marker: it returns null, and the piece
// is read as any other. Returns as piece() does.
template <bool markers>
// NOLINTNEXTLINE(readability-function-cognitive-complexity): to be split with the reader's grammar
const char* PatchReader::dataLine(const char* p, const char* end, bool last) {
    const char* const begin = p;
    for (p = nextField<markers, true>(p); *p != ':'; p = nextField<markers, true>(p + 1)) {
        if (markers && *p == 'P') return nullptr;
        if (isLineBreak(*p)) return p;  // no colon, nothing to add
    }
    const char* const colon = p;
    do ++p;
    while (*p == ' ');

    const char* const first = p;  // the first field, up to a space or the end
    for (p = nextField<markers>(p); *p != ' '; p = nextField<markers>(p + 1)) {
        if (markers && *p == 'P') return nullptr;
        if (isLineBreak(*p)) {
            if (p == end && !last) return end;
            appendNew(first, static_cast<std::size_t>(p - first));
            return p;
        }
    }
    const char* const firstEnd = p;
    while (*p == ' ') ++p;

    const char* const second = p;  // the rest, spaces within kept
    for (p = nextField<markers>(p); !isLineBreak(*p); p = nextField<markers>(p + 1)) {
        if (markers && *p == 'P') return nullptr;
    }
    if (p == end && !last) return end;
    const char* secondEnd = p;
    while (secondEnd != second && secondEnd[-1] == ' ') --secondEnd;

    if (secondEnd == second) {
        appendNew(first, static_cast<std::size_t>(firstEnd - first));
    } else {
        pictures_.back().oldHex.append(first, static_cast<std::size_t>(firstEnd - first));
        appendNew(second, static_cast<std::size_t>(secondEnd - second));
        if (first == colon + 2 && second == firstEnd + 1 && secondEnd == p) {
            layout_ = {static_cast<std::size_t>(colon - begin), static_cast<std::size_t>(firstEnd - begin),
                       static_cast<std::size_t>(p - begin)};
        }
    }
    return p;
}

// Any piece but a plain data line, from `begin` to its line break (or the end of the stream) at `stop`.
void PatchReader::otherPiece(const char* begin, const char* stop) {
    const std::string_view text(begin, static_cast<std::size_t>(stop - begin));
    const Markers markers = findMarkers(text);
    if (markers.header != std::string_view::npos) {
        header(text, markers.header);
    } else if (markers.data) {
        newRecord();
    } else if (!text.empty() && text.front() == ';') {
        inData_ = false;
    } else if (inData_) {
        dataLine<false>(begin, stop, true);
    }
}

void PatchReader::header(std::string_view text, std::size_t markerAt) {
    previousHeaderName_ = std::move(headerName_);
    const std::string_view rest = trimmed(text.substr(markerAt + kHeaderMarker.size()));
    headerName_.assign(rest.substr(0, rest.find(' ')));
}

void PatchReader::newRecord() {
    closeRecord();
    inData_ = true;
    const std::size_t index = pictures_.size();
    PictureRecord& record = pictures_.emplace_back();
    if (runs_) runs_->emplace_back();
    // A header that repeats the one before it names nothing: its records are numbered.
    if (!headerName_.empty() && headerName_ != previousHeaderName_) {
        record.name = headerName_;
    } else {
        record.name = std::to_string(index);
    }
}

// Appending doubles a field's capacity as it grows; once no more data can reach a
// record, give back what it holds beyond a little, so that the list costs about
// what the pictures hold. A field that only runs filled has no more than that.
void PatchReader::closeRecord() {
    if (pictures_.empty()) return;
    for (std::string* field : {&pictures_.back().oldHex, &pictures_.back().newHex}) {
        if (field->capacity() - field->size() > kSpareCapacity) field->shrink_to_fit();
    }
}

void PatchReader::appendNew(const char* from, std::size_t size) {
    if (runs_) locate(from, size);
    pictures_.back().newHex.append(from, size);
}

// Notes that `size` bytes at `from` in the buffer are about to end the latest record's new text.
void PatchReader::locate(const char* from, std::size_t size) {
    if (size == 0) return;
    runs_->back().push_back(
        {baseOffset_ + static_cast<std::uint64_t>(from - base_), pictures_.back().newHex.size(), size});
}

}  // namespace

std::vector<PictureRecord> readPatch(std::istream& in) { return PatchReader().read(in); }

LocatedPatch readPatchLocated(std::istream& in) {
    LocatedPatch patch;
    patch.pictures = PatchReader(&patch.newTextRuns).read(in);
    return patch;
}

std::int32_t pixelCount(const PictureRecord& picture) { return pixelCount(picture.newHex.size()); }

std::int32_t pixelCount(std::size_t newHexLength) {
    const std::size_t count = newHexLength / 2;
    return count > std::size_t{INT32_MAX} ? -1 : static_cast<std::int32_t>(count);
}

}  // namespace hexpane
