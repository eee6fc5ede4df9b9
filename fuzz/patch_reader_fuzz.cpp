// readPatch against a plain reading of the format's rules, line by line, and
// against the same file with other line ends or cut at another chunk boundary.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "patch/patch_reader.h"

namespace {

constexpr std::string_view kHeader = "##### Picture ";
constexpr std::string_view kData = "; Picture Data";

// The reader's first chunk of input is this size; it reads a larger one after each
// chunk it fills.
constexpr std::size_t kReaderChunk = std::size_t{4} << 10;

std::vector<hexpane::PictureRecord> read(std::string_view text) {
    fuzz::View view(text);
    std::istream in(&view);
    return hexpane::readPatch(in);
}

bool same(const std::vector<hexpane::PictureRecord>& a, const std::vector<hexpane::PictureRecord>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].name != b[i].name || a[i].oldHex != b[i].oldHex || a[i].newHex != b[i].newHex) return false;
    }
    return true;
}

// The rules read straight: lines end at CR LF or a lone CR, a line empty once
// trimmed closes the data block, and every LF splits a line into pieces.
class Model {
public:
    std::vector<hexpane::PictureRecord> read(std::string_view text) {
        std::size_t start = 0;
        while (start < text.size()) {
            std::size_t end = text.find('\r', start);
            if (end == std::string_view::npos) end = text.size();
            line(text.substr(start, end - start));
            start = end + 1;
            if (start < text.size() && text[start] == '\n') ++start;
        }
        return pictures_;
    }

private:
    void line(std::string_view text) {
        if (fuzz::trimmed(text).empty()) inData_ = false;
        std::size_t start = 0;
        for (;;) {
            const std::size_t lf = text.find('\n', start);
            piece(text.substr(start, lf == std::string_view::npos ? std::string_view::npos : lf - start));
            if (lf == std::string_view::npos) break;
            start = lf + 1;
        }
    }

    void piece(std::string_view text) {
        if (const std::size_t at = text.find(kHeader); at != std::string_view::npos) {
            previous_ = header_;
            const std::string_view rest = fuzz::trimmed(text.substr(at + kHeader.size()));
            const std::size_t space = rest.find(' ');
            header_ = space == std::string_view::npos ? rest : fuzz::trimmed(rest.substr(0, space));
        } else if (text.find(kData) != std::string_view::npos) {
            inData_ = true;
            const std::size_t index = pictures_.size();
            pictures_.push_back({!header_.empty() && header_ != previous_ ? header_ : std::to_string(index), "", ""});
        } else if (!text.empty() && text.front() == ';') {
            inData_ = false;
        } else if (inData_) {
            const std::size_t colon = text.find(':');
            if (colon == std::string_view::npos) return;
            const std::string_view rest = fuzz::trimmed(text.substr(colon + 1));
            const std::size_t space = rest.find(' ');
            if (space == std::string_view::npos) {
                pictures_.back().newHex += rest;
            } else {
                pictures_.back().oldHex += fuzz::trimmed(rest.substr(0, space));
                pictures_.back().newHex += fuzz::trimmed(rest.substr(space));
            }
        }
    }

    std::vector<hexpane::PictureRecord> pictures_;
    bool inData_ = false;
    std::string header_, previous_;
};

// Pieces end at every CR and every LF, whatever the line ends are.
std::size_t dataMarkers(std::string_view text) {
    std::size_t count = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view piece = text.substr(start, end - start);
        if (piece.find(kData) != std::string_view::npos && piece.find(kHeader) == std::string_view::npos) ++count;
        start = end + 1;
    }
    return count;
}

bool holds(std::string_view text, std::string_view chars) {
    return text.find_first_of(chars) != std::string_view::npos;
}

bool isIndex(std::string_view name, std::size_t index) { return name == std::to_string(index); }

// The file's lines without CRs and without blank lines, joined by `end`.
std::string withoutBlankLines(std::string_view text, std::string_view end) {
    std::string joined;
    bool first = true;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t lf = text.find('\n', start);
        if (lf == std::string_view::npos) lf = text.size();
        std::string line;
        for (const char c : text.substr(start, lf - start)) {
            if (c != '\r') line.push_back(c);
        }
        if (!fuzz::trimmed(line).empty()) {
            if (!first) joined += end;
            joined += line;
            first = false;
        }
        start = lf + 1;
    }
    return joined;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto pictures = read(text);

    FUZZ_CHECK(pictures.size() == dataMarkers(text));
    std::size_t hexBytes = 0;
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        const hexpane::PictureRecord& p = pictures[i];
        FUZZ_CHECK(!holds(p.name, "\r\n") && !holds(p.oldHex, "\r\n") && !holds(p.newHex, "\r\n"));
        // A name is the first word of a header, or the record's index.
        FUZZ_CHECK(!p.name.empty() && p.name.find(' ') == std::string::npos);
        FUZZ_CHECK(isIndex(p.name, i) || text.find(std::string(kHeader) + p.name) != std::string::npos ||
                   text.find(std::string(kHeader) + " ") != std::string::npos);
        // Old bytes are first words; new bytes are appended trimmed.
        FUZZ_CHECK(p.oldHex.find(' ') == std::string::npos);
        FUZZ_CHECK(p.newHex.empty() || (p.newHex.front() != ' ' && p.newHex.back() != ' '));
        FUZZ_CHECK(hexpane::pixelCount(p) == static_cast<std::int32_t>(p.newHex.size() / 2));
        hexBytes += p.oldHex.size() + p.newHex.size();
    }
    FUZZ_CHECK(hexBytes <= size);

    FUZZ_CHECK(same(pictures, Model().read(text)));

    // Without blank lines, CR LF and LF-only line ends read alike. A text that is
    // already in the wanted form is not read again.
    const std::string crLf = withoutBlankLines(text, "\r\n");
    const std::string lf = withoutBlankLines(text, "\n");
    const auto fromCrLf = crLf == text ? pictures : read(crLf);
    FUZZ_CHECK(same(fromCrLf, lf == text ? pictures : read(lf)));
    FUZZ_CHECK(same(fromCrLf, Model().read(lf)));

    // A leading line that is ignored changes nothing. Sized so that the reader's
    // first chunk ends inside the input, it tests the carrying of a piece (and of
    // a CR before an LF) from one chunk to the next; made longer than a chunk, it
    // makes the reader grow its buffer first. The line is kept between runs and
    // only the input's bytes are written behind it.
    if (size > 0 && data[0] % 4 == 0) {
        // Bytes of the input before the chunk ends.
        std::size_t cut = std::min(1 + size * data[size - 1] / 256, kReaderChunk - 2);
        if (data[size - 1] % 2 == 0) {
            // Most often right after a CR, where a chunk may split a CR LF.
            std::vector<std::size_t> crs;
            for (std::size_t i = 0; i < size; ++i) {
                if (text[i] == '\r') crs.push_back(i + 1);
            }
            if (!crs.empty()) cut = std::min(crs[data[size - 1] / 2 % crs.size()], kReaderChunk - 2);
        }
        const std::size_t start = (data[0] % 16 == 0 ? 2 * kReaderChunk : kReaderChunk) - cut;
        static std::string padded;
        if (padded.size() < 2 * kReaderChunk + size) padded.assign(2 * kReaderChunk + size, 'x');
        padded.replace(start - 2, 2 + size, "\r\n" + text);
        const auto fromPadded = read(std::string_view(padded).substr(0, start + size));
        padded.replace(start - 2, 2 + size, 2 + size, 'x');
        FUZZ_CHECK(same(fromPadded, pictures));
    }
    return 0;
}
