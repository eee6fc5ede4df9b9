#include "export/patch_input.h"

#include <istream>
#include <sstream>
#include <string>

#include "files/path_bytes.h"
#include "report/command_line.h"

namespace hexpane {

namespace {

// The first read of readFirstPictures; each next one is this many times larger.
constexpr std::uint64_t kFirstRead = std::uint64_t{1} << 16;
constexpr int kGrowth = 4;

// The pictures that end inside the first `size` bytes of in. Unless that is the
// whole stream, the start is cut after its last line end, so every line read is
// read as in the whole file; the last picture read may still go on after it, so
// it is left out.
std::vector<PictureRecord> picturesInStart(std::istream& in, std::uint64_t size, bool& whole) {
    std::string start(std::size_t(size) + 1, '\0');
    in.read(start.data(), std::streamsize(start.size()));
    start.resize(std::size_t(in.gcount()));
    whole = start.size() <= size;
    if (!whole) {
        start.resize(std::size_t(size));
        start.resize(start.find_last_of("\r\n") + 1);  // npos + 1: nothing
    }
    std::istringstream text(std::move(start));
    std::vector<PictureRecord> pictures = readPatch(text);
    if (!whole && !pictures.empty()) pictures.pop_back();
    return pictures;
}

}  // namespace

std::optional<std::vector<PictureRecord>> readPatchFile(const QString& path, Report& report) {
    auto pictures = readReported(path, readPatch, report);
    if (pictures && pictures->empty()) report.note(QStringLiteral("%1 holds no picture.").arg(shownPath(path)));
    return pictures;
}

std::optional<std::vector<PictureRecord>> readFirstPictures(const QString& path, std::uint64_t limit,
                                                            const Enough& enough, Report& report) {
    for (std::uint64_t size = std::min(kFirstRead, limit);; size = std::min(size * kGrowth, limit)) {
        bool whole = false;
        auto pictures = readReported(
            path, [&](std::istream& in) { return picturesInStart(in, size, whole); }, report);
        if (!pictures || whole || size >= limit || enough(*pictures)) return pictures;
    }
}

}  // namespace hexpane
