#include "export/patch_input.h"

#include <istream>
#include <new>
#include <string>

#include "files/path_bytes.h"
#include "files/regular_file.h"
#include "report/command_line.h"

namespace hexpane {

namespace {

// The first read of readFirstPictures; each next one is this many times larger.
constexpr std::uint64_t kFirstRead = std::uint64_t{1} << 16;
constexpr int kGrowth = 4;

struct Start {
    FirstPictures pictures;
    bool whole = false;  // the start is the whole file
};

// The pictures that end inside the first `size` bytes of the file, read
// straight from it. Unless that is the whole file, the last picture read may
// go on after it, so it is left out. A line cut at the end changes no picture
// before the last: a line's start marks what the whole line does.
Start picturesInStart(const QString& path, std::uint64_t size, QString* error) {
    RegularFile file(path, size);
    if (!file.error().isEmpty()) {
        *error = file.error();
        return {};
    }
    std::istream in(&file);
    Start start;
    start.pictures.pictures = readPictures(in);
    start.whole = !file.cut();
    if (!file.error().isEmpty()) *error = file.error();
    const std::size_t read = start.pictures.pictures.size();
    start.pictures.count = start.whole || read == 0 ? read : read - 1;
    return start;
}

}  // namespace

std::optional<Pictures> readPatchFile(const QString& path, Report& report) {
    auto pictures = readReported(path, readPictures, report);
    if (pictures && pictures->empty()) report.note(QStringLiteral("%1 holds no picture.").arg(shownPath(path)));
    return pictures;
}

// Where memory runs out, the largest start that fits is found between the last
// that did and the one that did not, so that the pictures found are kept. The
// pictures of one start are let go before the next is read, so that no two are
// held at once; the largest that fitted is read again at the end if need be.
std::optional<FirstPictures> readFirstPictures(const QString& path, std::uint64_t limit, const Enough& enough,
                                               Report& report) {
    std::optional<FirstPictures> found;
    std::uint64_t fitted = 0, failed = limit + 1;  // the largest start read, the smallest that ran out of memory
    for (std::uint64_t size = std::min(kFirstRead, limit); size > fitted || !found;) {
        QString error;
        found.reset();
        try {
            Start start = picturesInStart(path, size, &error);
            if (!error.isEmpty()) {
                report.problem(ExitStatus::Failed, QStringLiteral("Cannot read %1:\n%2").arg(shownPath(path), error));
                return std::nullopt;
            }
            found = std::move(start.pictures);
            fitted = size;
            if (start.whole || size >= limit || enough(*found)) return found;
        } catch (const std::bad_alloc&) {
            failed = size;
        }
        if (failed > limit) {
            size = std::min(fitted * kGrowth, limit);
        } else if (failed - fitted > kFirstRead) {
            size = fitted + (failed - fitted) / 2;
        } else if (fitted > 0 && size != fitted) {
            size = fitted;  // read the largest start that fitted once more
        } else {
            break;
        }
    }
    if (!found) {
        report.problem(ExitStatus::Failed,
                       QStringLiteral("Cannot read %1:\nThere is not enough memory to read it.").arg(shownPath(path)));
    } else {
        report.note(QStringLiteral("%1: there is not enough memory to read more than its first %2 bytes; going on "
                                   "with the pictures in them.")
                        .arg(shownPath(path))
                        .arg(fitted));
    }
    return found;
}

}  // namespace hexpane
