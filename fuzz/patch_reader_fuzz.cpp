// readPatch against the reference model, a plain reading of the format's rules
// line by line; readPatchLocated, readPictures and locateNewText against it too,
// in chunks of every size; and the same file with other line ends.
#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

#include "../tests/patch/reference_reader.h"
#include "fuzz_support.h"
#include "patch/detail/read_settings.h"
#include "patch/patch_reader.h"
#include "patch/pictures.h"

namespace {

constexpr std::string_view kHeader = "##### Picture ";
constexpr std::string_view kData = "; Picture Data";

std::vector<hexpane::PictureRecord> read(std::string_view text) {
    fuzz::View view(text);
    std::istream in(&view);
    return hexpane::readPatch(in);
}

bool same(const std::vector<hexpane::PictureRecord>& a, const std::vector<hexpane::PictureRecord>& b) {
    return reference::difference(a, b).empty();
}

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

// The file's lines without CRs and without blank lines, each ended by LF but the last.
std::string withoutBlankLines(std::string_view text) {
    std::string joined, line;
    joined.reserve(text.size());
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t lf = text.find('\n', start);
        if (lf == std::string_view::npos) lf = text.size();
        line.assign(text.substr(start, lf - start));
        std::erase(line, '\r');
        if (!reference::trimmed(line).empty()) {
            if (!joined.empty()) joined += '\n';
            joined += line;
        }
        start = lf + 1;
    }
    return joined;
}

// The same lines ended by CR LF.
std::string withCrLf(std::string_view lf) {
    std::string crLf;
    crLf.reserve(lf.size() + lf.size() / 8);
    for (const char c : lf) {
        if (c == '\n') crLf += '\r';
        crLf += c;
    }
    return crLf;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
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

    const hexpane::LocatedPatch model = reference::readPatch(text);
    FUZZ_CHECK(same(pictures, model.pictures));

    // One more reading, chosen by the input. In chunks of 1 to 64 bytes, every
    // position of the input ends a chunk in some run: a piece, a marker or a CR
    // LF cut in two must read the same, and the new bytes be located where the
    // model appends them: by readPatchLocated, or by one of the compact forms,
    // readPictures (the model's records) or locateNewText (the model's runs of
    // the pictures asked for). Or, without blank lines, CR LF and LF-only line
    // ends read alike: the form the input picks reads as the model reads the
    // LF-only one (a text already in that form was read above).
    if (size == 0) return 0;
    hexpane::ReadSettings settings;
    settings.chunkSize = 1 + data[size - 1] % 64;
    settings.largePages = (data[0] >> 2) % 2 == 0;
    fuzz::View view(text);
    std::istream in(&view);
    switch (data[0] % 4) {
    case 0:
        FUZZ_CHECK(reference::difference(hexpane::readPatchLocatedWith(in, settings), model).empty());
        break;
    case 1:
        FUZZ_CHECK(same(reference::records(hexpane::readPicturesWith(in, settings)), model.pictures));
        break;
    case 2: {
        const std::vector<std::size_t> wanted = reference::someOf(model.pictures.size());
        FUZZ_CHECK(reference::locatedDifference(hexpane::locateNewTextWith(in, wanted, settings), model).empty());
        break;
    }
    default: {
        const std::string lf = withoutBlankLines(text);
        const std::string other = data[size / 2] % 2 == 0 ? withCrLf(lf) : lf;
        if (other != text) FUZZ_CHECK(same(read(other), reference::readPatch(lf).pictures));
    }
    }
    return 0;
}
