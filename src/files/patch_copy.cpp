#include "files/patch_copy.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <istream>
#include <limits>
#include <optional>

#include "files/regular_file.h"
#include "files/saved_file.h"
#include "patch/pictures.h"

namespace hexpane {

namespace {

constexpr std::size_t kChunk = std::size_t{1} << 20;

// One run of a changed text.
struct Piece {
    const std::string* text;
    const NewTextRun* run;
};

class Copier {
public:
    // runs[k]: where the text of changes[k] stands in the file.
    Copier(const std::vector<ChangedText>& changes, const std::vector<std::vector<NewTextRun>>& runs) {
        for (std::size_t k = 0; k < changes.size(); ++k) {
            for (const NewTextRun& run : runs[k]) pieces_.push_back({changes[k].newHex, &run});
        }
    }

    // Puts the changed texts into the chunk of the file that starts at offset `at`.
    void apply(char* chunk, std::size_t size, std::uint64_t at);

private:
    std::vector<Piece> pieces_;
    std::size_t next_ = 0;
};

void Copier::apply(char* chunk, std::size_t size, std::uint64_t at) {
    const std::uint64_t end = at + size;
    for (; next_ < pieces_.size(); ++next_) {
        const Piece& piece = pieces_[next_];
        const NewTextRun& run = *piece.run;
        if (run.streamOffset >= end) return;
        const std::uint64_t from = std::max(run.streamOffset, at);
        const std::uint64_t to = std::min(run.streamOffset + run.length, end);
        if (from < to) {
            const std::size_t textOffset = run.textOffset + std::size_t(from - run.streamOffset);
            std::memcpy(chunk + (from - at), piece.text->data() + textOffset, std::size_t(to - from));
        }
        if (run.streamOffset + run.length > end) return;  // goes on in the next chunk
    }
}

// Hands the patch's bytes to put, in order, in pieces, with each changed text in
// place of what the file holds there. False when put returns false, or, with the
// reason in *error, when the patch cannot be read or no longer holds what was
// read. The bytes are digested as the file holds them, before any change.
bool copyPatch(const QString& patchPath, const FileDigest& read, const std::vector<ChangedText>& changes,
               const std::vector<std::vector<NewTextRun>>& runs,
               const std::function<bool(const char*, std::size_t)>& put, QString* error, ReadWatch* watch) {
    RegularFile file(patchPath, std::numeric_limits<std::uint64_t>::max(), RegularFile::Digested::Yes);
    if (!file.error().isEmpty()) {
        *error = file.error();
        return false;
    }
    std::istream in(&file);
    std::vector<char> chunk(kChunk);
    Copier copier(changes, runs);
    if (watch != nullptr) watch->bytes = 0;  // the copy, after the search
    for (std::uint64_t at = 0;;) {
        in.read(chunk.data(), std::streamsize(chunk.size()));
        const auto got = std::size_t(in.gcount());
        if (!file.error().isEmpty()) {
            *error = file.error();
            return false;
        }
        if (got == 0) break;
        if (at + got > read.size) break;  // longer than it was: no need to copy on
        copier.apply(chunk.data(), got, at);
        if (!put(chunk.data(), got)) return false;
        at += got;
        if (watch != nullptr) watch->bytes += got;
    }
    if (!read.whole || file.digest() != read) {
        *error = patchChangedText();
        return false;
    }
    return true;
}

// Where the changed texts stand in the patch, read again; none, with the
// reason in *error, when it cannot be read or no longer holds what was read.
std::optional<std::vector<std::vector<NewTextRun>>> locateChanges(const QString& patchPath, const FileDigest& read,
                                                                  const std::vector<ChangedText>& changes,
                                                                  QString* error, ReadWatch* watch) {
    std::vector<std::size_t> wanted(changes.size());
    std::transform(changes.begin(), changes.end(), wanted.begin(),
                   [](const ChangedText& change) { return change.index; });
    FileDigest again;
    auto runs = readFile(
        patchPath, [&](std::istream& in) { return locateNewText(in, wanted); }, error, &again, watch);
    if (!error->isEmpty() || (watch != nullptr && watch->stop)) return std::nullopt;
    if (again != read) {
        *error = patchChangedText();
        return std::nullopt;
    }
    return runs;
}

}  // namespace

QString patchChangedText() {
    return QCoreApplication::translate("PatchCopy", "The patch changed while it was read; read it again.");
}

QString writePatch(const QString& patchPath, const FileDigest& read, const std::vector<ChangedText>& changes,
                   const QString& outputPath, bool force, ReadWatch* watch) {
    return saveFile(outputPath, force ? Existing::Replace : Existing::Keep, [&](FileSink& sink) {
        QString error;
        const auto runs = locateChanges(patchPath, read, changes, &error, watch);
        if (!runs) return error.isEmpty() ? false : sink.fail(error);
        if (copyPatch(
                patchPath, read, changes, *runs,
                [&](const char* data, std::size_t size) { return sink.write(data, size); }, &error, watch)) {
            return true;
        }
        return error.isEmpty() ? false : sink.fail(error);
    });
}

}  // namespace hexpane
