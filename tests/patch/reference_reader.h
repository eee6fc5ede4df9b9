// The patch format's rules read straight, a line and a piece at a time, with
// nothing done for speed: the model that readPatch, readPatchLocated,
// readPictures and locateNewText are checked against, by the tests and by the
// fuzz target.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "patch/patch_reader.h"
#include "patch/pictures.h"

namespace reference {

// Only the space is trimmed.
inline std::string_view trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

class PatchReader {
public:
    // Lines end at CR LF or a lone CR. A line empty once trimmed closes the data
    // block; then every LF splits the line into pieces, each read on its own.
    hexpane::LocatedPatch read(std::string_view file) {
        file_ = file;
        std::size_t start = 0;
        while (start < file.size()) {
            std::size_t end = file.find('\r', start);
            if (end == std::string_view::npos) end = file.size();
            line(file.substr(start, end - start));
            start = end + 1;
            if (start < file.size() && file[start] == '\n') ++start;
        }
        return patch_;
    }

private:
    static constexpr std::string_view kHeader = "##### Picture ";
    static constexpr std::string_view kData = "; Picture Data";

    void line(std::string_view text) {
        if (trimmed(text).empty()) inData_ = false;
        std::size_t start = 0;
        for (;;) {
            const std::size_t lf = text.find('\n', start);
            piece(text.substr(start, lf == std::string_view::npos ? std::string_view::npos : lf - start));
            if (lf == std::string_view::npos) break;
            start = lf + 1;
        }
    }

    // The first test that holds decides: header, data marker, comment, data line.
    void piece(std::string_view text) {
        if (const std::size_t at = text.find(kHeader); at != std::string_view::npos) {
            previous_ = header_;
            const std::string_view rest = trimmed(text.substr(at + kHeader.size()));
            const std::size_t space = rest.find(' ');
            header_ = space == std::string_view::npos ? rest : trimmed(rest.substr(0, space));
        } else if (text.find(kData) != std::string_view::npos) {
            inData_ = true;
            const std::size_t index = patch_.pictures.size();
            patch_.pictures.push_back(
                {!header_.empty() && header_ != previous_ ? header_ : std::to_string(index), "", ""});
            patch_.newTextRuns.emplace_back();
        } else if (!text.empty() && text.front() == ';') {
            inData_ = false;
        } else if (inData_) {
            dataLine(text);
        }
    }

    // After the first colon, trimmed: old bytes up to the first space, new bytes
    // after it, trimmed; or new bytes only.
    void dataLine(std::string_view text) {
        const std::size_t colon = text.find(':');
        if (colon == std::string_view::npos) return;
        const std::string_view rest = trimmed(text.substr(colon + 1));
        const std::size_t space = rest.find(' ');
        if (space == std::string_view::npos) {
            appendNew(rest);
        } else {
            patch_.pictures.back().oldHex += trimmed(rest.substr(0, space));
            appendNew(trimmed(rest.substr(space)));
        }
    }

    void appendNew(std::string_view text) {
        std::string& newHex = patch_.pictures.back().newHex;
        if (!text.empty()) {
            const auto offset = static_cast<std::uint64_t>(text.data() - file_.data());
            patch_.newTextRuns.back().push_back({offset, newHex.size(), text.size()});
        }
        newHex += text;
    }

    std::string_view file_;
    hexpane::LocatedPatch patch_;
    bool inData_ = false;
    std::string header_, previous_;
};

inline hexpane::LocatedPatch readPatch(std::string_view file) { return PatchReader().read(file); }

// What first differs between two readings, or nothing when they agree.
inline std::string difference(const std::vector<hexpane::PictureRecord>& got,
                              const std::vector<hexpane::PictureRecord>& expected) {
    if (got.size() != expected.size()) {
        return std::to_string(got.size()) + " pictures instead of " + std::to_string(expected.size());
    }
    for (std::size_t i = 0; i < got.size(); ++i) {
        if (got[i].name != expected[i].name) return "picture " + std::to_string(i) + ": another name";
        if (got[i].oldHex != expected[i].oldHex) return "picture " + std::to_string(i) + ": other old bytes";
        if (got[i].newHex != expected[i].newHex) return "picture " + std::to_string(i) + ": other new bytes";
    }
    return {};
}

// Which run first differs between two lists of runs, or nothing.
inline std::string difference(const std::vector<hexpane::NewTextRun>& runs,
                              const std::vector<hexpane::NewTextRun>& wanted) {
    for (std::size_t k = 0; k < std::max(runs.size(), wanted.size()); ++k) {
        if (k == runs.size() || k == wanted.size() || runs[k].streamOffset != wanted[k].streamOffset ||
            runs[k].textOffset != wanted[k].textOffset || runs[k].length != wanted[k].length) {
            return "run " + std::to_string(k) + " differs";
        }
    }
    return {};
}

inline std::string difference(const hexpane::LocatedPatch& got, const hexpane::LocatedPatch& expected) {
    if (std::string pictures = difference(got.pictures, expected.pictures); !pictures.empty()) return pictures;
    if (got.newTextRuns.size() != got.pictures.size()) return "not one list of runs per picture";
    for (std::size_t i = 0; i < got.newTextRuns.size(); ++i) {
        if (std::string runs = difference(got.newTextRuns[i], expected.newTextRuns[i]); !runs.empty()) {
            return "picture " + std::to_string(i) + ": " + runs;
        }
    }
    return {};
}

// The compact form as records, to be compared as they are.
inline std::vector<hexpane::PictureRecord> records(const hexpane::Pictures& pictures) {
    std::vector<hexpane::PictureRecord> records;
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        const hexpane::PictureText picture = pictures[i];
        records.push_back({std::string(picture.name), std::string(picture.oldHex), std::string(picture.newHex)});
    }
    return records;
}

// The pictures a tool changing some of them asks locateNewText for: every third,
// the first twice, and two beyond the last.
inline std::vector<std::size_t> someOf(std::size_t pictures) {
    std::vector<std::size_t> wanted;
    if (pictures > 0) wanted.push_back(0);
    for (std::size_t i = 0; i < pictures; i += 3) wanted.push_back(i);
    wanted.push_back(pictures);
    wanted.push_back(pictures + 7);
    return wanted;
}

// What first differs between what locateNewText gives for someOf() the pictures
// and the runs `expected` holds for them, or nothing.
inline std::string locatedDifference(const std::vector<std::vector<hexpane::NewTextRun>>& got,
                                     const hexpane::LocatedPatch& expected) {
    const std::vector<std::size_t> wanted = someOf(expected.pictures.size());
    if (got.size() != wanted.size()) return "not one list of runs per picture wanted";
    for (std::size_t k = 0; k < wanted.size(); ++k) {
        const std::vector<hexpane::NewTextRun> none;
        const auto& runs = wanted[k] < expected.newTextRuns.size() ? expected.newTextRuns[wanted[k]] : none;
        if (std::string differs = difference(got[k], runs); !differs.empty()) {
            return "picture " + std::to_string(wanted[k]) + ": " + differs;
        }
    }
    return {};
}

}  // namespace reference
