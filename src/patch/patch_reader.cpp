#include "patch/patch_reader.h"

#include <algorithm>
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
// either; hex data holds none, so on a data line the scan is a single pass.
constexpr std::size_t kHeaderP = kHeaderMarker.find('P');
constexpr std::size_t kDataP = kDataMarker.find('P');

constexpr std::size_t kChunkSize = std::size_t{1} << 20;

// Grown with realloc, which moves a large block by remapping its pages instead of
// copying them: a piece of many megabytes then costs about its own size, not two or three times it.
class Buffer {
public:
    explicit Buffer(std::size_t size) : data_(static_cast<char*>(std::malloc(size))), size_(size) {
        if (!data_) throw std::bad_alloc();
    }
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;
    ~Buffer() { std::free(data_); }

    void grow() {
        void* grown = std::realloc(data_, size_ * 2);
        if (!grown) throw std::bad_alloc();
        data_ = static_cast<char*>(grown);
        size_ *= 2;
    }
    char* data() { return data_; }
    std::size_t size() const { return size_; }

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

class PatchReader {
public:
    std::vector<PictureRecord> read(std::istream& in);

private:
    void piece(std::string_view text);
    void header(std::string_view text, std::size_t markerAt);
    void newRecord();
    void dataLine(std::string_view text);
    void closeRecord();

    std::vector<PictureRecord> pictures_;
    bool inData_ = false;
    std::string headerName_;
    std::string previousHeaderName_;
};

// Lines end at CR LF or a lone CR; a lone LF splits a line into pieces. Only the
// unfinished piece is carried from one chunk to the next, so memory follows the
// longest piece, not the file.
std::vector<PictureRecord> PatchReader::read(std::istream& in) {
    Buffer buffer(kChunkSize);
    std::size_t held = 0;      // bytes of the unfinished piece at the front of buffer
    bool afterCr = false;      // the previous chunk ended with a CR
    bool lineStart = true;     // the current piece is the first of its line

    auto endOfLine = [&](std::string_view last) {
        // A line that is empty once trimmed holds no LF, so it is this one piece.
        if (lineStart && trimmed(last).empty()) inData_ = false;
        lineStart = true;
    };

    for (;;) {
        if (held == buffer.size()) buffer.grow();
        in.read(buffer.data() + held, static_cast<std::streamsize>(buffer.size() - held));
        const auto got = static_cast<std::size_t>(in.gcount());
        if (got == 0) break;

        const char* const end = buffer.data() + held + got;
        const char* start = buffer.data();
        if (afterCr && *start == '\n') ++start;
        afterCr = false;

        // Both searches resume from where they stopped, so each byte is scanned once per search.
        const char* const from = std::max<const char*>(start, buffer.data() + held);
        const char* cr = find(from, end, '\r');
        const char* lf = find(from, end, '\n');
        while (cr != end || lf != end) {
            const std::string_view text(start, static_cast<std::size_t>(std::min(cr, lf) - start));
            piece(text);
            if (lf < cr) {
                lineStart = false;
                start = lf + 1;
            } else {
                endOfLine(text);
                start = cr + 1;
                if (start == end) {
                    afterCr = true;
                } else if (*start == '\n') {
                    ++start;
                }
                cr = find(start, end, '\r');
            }
            if (lf < start) lf = find(start, end, '\n');
        }

        held = static_cast<std::size_t>(end - start);
        if (start != buffer.data()) std::memmove(buffer.data(), start, held);
    }

    if (held > 0) {
        const std::string_view text(buffer.data(), held);
        piece(text);
        endOfLine(text);
    }
    closeRecord();
    return std::move(pictures_);
}

void PatchReader::piece(std::string_view text) {
    const Markers markers = findMarkers(text);
    if (markers.header != std::string_view::npos) {
        header(text, markers.header);
    } else if (markers.data) {
        newRecord();
    } else if (!text.empty() && text.front() == ';') {
        inData_ = false;
    } else if (inData_) {
        dataLine(text);
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
    // A header that repeats the one before it names nothing: its records are numbered.
    if (!headerName_.empty() && headerName_ != previousHeaderName_) {
        record.name = headerName_;
    } else {
        record.name = std::to_string(index);
    }
}

void PatchReader::dataLine(std::string_view text) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) return;
    const std::string_view rest = trimmed(text.substr(colon + 1));
    PictureRecord& record = pictures_.back();
    const std::size_t space = rest.find(' ');
    if (space == std::string_view::npos) {
        record.newHex.append(rest);
        return;
    }
    record.oldHex.append(rest.substr(0, space));
    record.newHex.append(trimmed(rest.substr(space)));
}

// Appending doubles a field's capacity as it grows; once no more data can reach a
// record, give the slack back so the list costs about what the pictures hold.
void PatchReader::closeRecord() {
    if (pictures_.empty()) return;
    pictures_.back().oldHex.shrink_to_fit();
    pictures_.back().newHex.shrink_to_fit();
}

}  // namespace

std::vector<PictureRecord> readPatch(std::istream& in) { return PatchReader().read(in); }

std::int32_t pixelCount(const PictureRecord& picture) { return pixelCount(picture.newHex.size()); }

std::int32_t pixelCount(std::size_t newHexLength) {
    const std::size_t count = newHexLength / 2;
    return count > std::size_t{INT32_MAX} ? -1 : static_cast<std::int32_t>(count);
}

}  // namespace hexpane
