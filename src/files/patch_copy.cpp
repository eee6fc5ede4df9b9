#include "files/patch_copy.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <istream>

#include "files/regular_file.h"
#include "files/saved_file.h"

namespace hexpane {

namespace {

constexpr std::size_t kChunk = std::size_t{1} << 20;

// One run of a changed text.
struct Piece {
    const ChangedText* text;
    const NewTextRun* run;
};

// Where the file's bytes differ from the text, the pixel must have changed.
bool differsOnlyWhereChanged(const char* file, const char* text, std::size_t size, std::size_t textOffset,
                             const std::vector<bool>& changedPixels) {
    if (std::memcmp(file, text, size) == 0) return true;
    for (std::size_t i = 0; i < size; ++i) {
        const std::size_t pixel = (textOffset + i) / 2;
        if (file[i] != text[i] && (pixel >= changedPixels.size() || !changedPixels[pixel])) return false;
    }
    return true;
}

class Copier {
public:
    explicit Copier(const std::vector<ChangedText>& changes) {
        for (const ChangedText& text : changes) {
            for (const NewTextRun& run : *text.runs) pieces_.push_back({&text, &run});
        }
    }

    // Puts the changed texts into the chunk of the file that starts at offset
    // `at`; false when the file does not hold what was read.
    bool apply(char* chunk, std::size_t size, std::uint64_t at);
    bool allApplied() const { return next_ == pieces_.size(); }

private:
    std::vector<Piece> pieces_;
    std::size_t next_ = 0;
};

bool Copier::apply(char* chunk, std::size_t size, std::uint64_t at) {
    const std::uint64_t end = at + size;
    for (; next_ < pieces_.size(); ++next_) {
        const Piece& piece = pieces_[next_];
        const NewTextRun& run = *piece.run;
        if (run.streamOffset >= end) return true;
        const std::uint64_t from = std::max(run.streamOffset, at);
        const std::uint64_t to = std::min(run.streamOffset + run.length, end);
        if (from < to) {
            const std::size_t textOffset = run.textOffset + std::size_t(from - run.streamOffset);
            const char* text = piece.text->newHex->data() + textOffset;
            char* file = chunk + (from - at);
            const auto length = std::size_t(to - from);
            if (!differsOnlyWhereChanged(file, text, length, textOffset, *piece.text->changedPixels)) return false;
            std::memcpy(file, text, length);
        }
        if (run.streamOffset + run.length > end) return true;  // goes on in the next chunk
    }
    return true;
}

// Hands the patch's bytes to put, in order, in pieces, with each changed text in
// place of what the file holds there. False when put returns false, or, with the
// reason in *error, when the patch cannot be read or no longer holds what was read.
bool copyPatch(const QString& patchPath, const std::vector<ChangedText>& changes,
               const std::function<bool(const char*, std::size_t)>& put, QString* error) {
    const QString changedMeanwhile = QStringLiteral("The patch changed while it was read; read it again.");
    RegularFile file(patchPath);
    if (!file.error().isEmpty()) {
        *error = file.error();
        return false;
    }
    std::istream in(&file);
    std::vector<char> chunk(kChunk);
    Copier copier(changes);
    for (std::uint64_t at = 0;;) {
        in.read(chunk.data(), std::streamsize(chunk.size()));
        const auto got = std::size_t(in.gcount());
        if (!file.error().isEmpty()) {
            *error = file.error();
            return false;
        }
        if (got == 0) break;
        if (!copier.apply(chunk.data(), got, at)) {
            *error = changedMeanwhile;
            return false;
        }
        if (!put(chunk.data(), got)) return false;
        at += got;
    }
    if (!copier.allApplied()) {
        *error = changedMeanwhile;
        return false;
    }
    return true;
}

}  // namespace

QString writePatch(const QString& patchPath, const std::vector<ChangedText>& changes, const QString& outputPath,
                   bool force) {
    return saveFile(outputPath, force ? Existing::Replace : Existing::Keep, [&](FileSink& sink) {
        QString error;
        if (copyPatch(
                patchPath, changes, [&](const char* data, std::size_t size) { return sink.write(data, size); },
                &error)) {
            return true;
        }
        return error.isEmpty() ? false : sink.fail(error);
    });
}

}  // namespace hexpane
