#include "files/saved_file.h"

#include <QCoreApplication>

#include <algorithm>
#include <cerrno>
#include <new>
#include <optional>
#include <stdexcept>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "files/path_bytes.h"
#include "files/pending_file.h"
#include "files/regular_file.h"

namespace hexpane {

namespace {

constexpr std::size_t kPiece = std::size_t{1} << 16;  // what the sink gathers before it writes

QString noMemory() { return QCoreApplication::translate("SavedFile", "There is not enough memory to save it."); }

// For a step whose failure leaves nothing worse than before: its result is
// taken, as the fortified C library asks, and let go.
void bestEffort(int /*result*/) {}

// 0, or the errno of the write that failed.
int writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        if (n == 0) return ENOSPC;
        data += n;
        size -= std::size_t(n);
    }
    return 0;
}

}  // namespace

// ---- The sink ----

// What a producer made: the reason it is not complete, or, for a sink
// without a file, the content.
struct Produced {
    QString error;
    std::string content;
};

struct SinkAccess {
    // Runs the producer into a sink over fd, or into memory where fd is -1.
    static Produced produce(int fd, const std::function<bool(FileSink&)>& write) {
        FileSink sink(fd);
        try {
            if (!write(sink)) sink.fail(QCoreApplication::translate("SavedFile", "Saving it was given up."));
            if (fd >= 0) sink.flush();
        } catch (const std::bad_alloc&) {
            sink.fail(noMemory());
        }
        return {std::move(sink.error_), std::move(sink.buffer_)};
    }
};

bool FileSink::write(const char* data, std::size_t size) {
    if (!error_.isEmpty()) return false;
    if (fd_ >= 0 && buffer_.size() + size > kPiece) {
        if (!flush()) return false;
        if (size >= kPiece) return writeOut(data, size);
    }
    try {
        buffer_.append(data, size);
    } catch (const std::bad_alloc&) {
        return fail(noMemory());
    } catch (const std::length_error&) {
        return fail(noMemory());
    }
    return true;
}

bool FileSink::fail(const QString& reason) {
    if (error_.isEmpty()) error_ = reason;
    return false;
}

bool FileSink::writeOut(const char* data, std::size_t size) {
    const int error = writeAll(fd_, data, size);
    return error == 0 || fail(qt_error_string(error));
}

bool FileSink::flush() {
    const bool written = error_.isEmpty() && writeOut(buffer_.data(), buffer_.size());
    buffer_.clear();
    return written;
}

namespace {

using saving::Descriptor;
using saving::PendingFile;
using saving::Place;
using saving::Uninterrupted;

enum class Kind { Missing, Link, Regular, Other };

struct Target {
    Kind kind = Kind::Missing;
    struct stat status {};
    int error = 0;  // why it could not be looked at
};

// What has the target's name, the name itself if a symbolic link.
Target lookAt(const Place& place) {
    Target target;
    if (::fstatat(place.folder.get(), place.name.constData(), &target.status, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno != ENOENT) target.error = errno;
        return target;
    }
    const mode_t mode = target.status.st_mode;
    target.kind = S_ISLNK(mode) ? Kind::Link : S_ISREG(mode) ? Kind::Regular : Kind::Other;
    return target;
}

// Why what has the name must stay, or empty. A file that grants no one write
// permission is read-only for root too.
QString refusal(const Place& place, const Target& target, Existing existing) {
    if (target.kind == Kind::Missing) return {};
    if (target.kind == Kind::Other) {
        return QCoreApplication::translate("SavedFile", "It is %1, not a regular file, so it was left as it is.")
            .arg(fileKind(target.status.st_mode));
    }
    if (existing == Existing::Keep)
        return QCoreApplication::translate("SavedFile", "It exists, so it was left as it is.");
    if (target.kind == Kind::Regular &&
        ((target.status.st_mode & 0222) == 0 ||
         (::faccessat(place.folder.get(), place.name.constData(), W_OK, AT_EACCESS) != 0 && errno == EACCES))) {
        return QCoreApplication::translate("SavedFile", "It is read-only, so it was left as it was.");
    }
    return {};
}

// ---- New files and replaced ones ----

using Producer = std::function<bool(FileSink&)>;

// The content is written in full before anything has the target's name, so
// whatever stops the writing leaves nothing changed.
QString produceInto(int fd, const Producer& write) { return SinkAccess::produce(fd, write).error; }

// A replaced file keeps its permissions, and its owner and group where this
// user may give them (any group of the user's; anything for root).
void adopt(int fd, const struct stat& old) {
    bestEffort(::fchmod(fd, old.st_mode & 0777));  // first: once given away, the file is no longer ours to change
    if (::fchown(fd, old.st_uid, old.st_gid) != 0) bestEffort(::fchown(fd, uid_t(-1), old.st_gid));
}

// Replaced in one step by the complete new file, synced to the disk first, so
// that no crash loses the old file for the new one's sake.
QString replaceExisting(PendingFile& file, const Place& place, const Target& target) {
    if (target.kind == Kind::Regular) adopt(file.fd(), target.status);
    if (::fdatasync(file.fd()) != 0) return qt_error_string(errno);
    const int error = file.replace(place);
    return error == 0 ? QString() : qt_error_string(error);
}

// A new file takes its name without replacing anything. One that appeared
// meanwhile is kept, or replaced where replacing was asked.
QString saveNew(PendingFile& file, const Place& place, Existing existing) {
    const int error = file.linkAsNew(place);
    if (error != EEXIST) return error == 0 ? QString() : qt_error_string(error);
    const Target appeared = lookAt(place);
    if (appeared.error != 0) return qt_error_string(appeared.error);
    if (appeared.kind == Kind::Missing) return qt_error_string(EEXIST);  // and gone again
    if (QString refused = refusal(place, appeared, existing); !refused.isEmpty()) return refused;
    return replaceExisting(file, place, appeared);
}

// The room a file written in place needs, set aside before its first byte
// changes: within the file-size limit and allocated on the disk, past the
// file's end without moving it. 0, or why it cannot be.
int reserve(int fd, std::size_t size) {
    rlimit limit{};
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && size > limit.rlim_cur) {
        return EFBIG;
    }
    if (size == 0) return 0;
    int result = 0;
    do result = ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, off_t(size));
    while (result != 0 && errno == EINTR);
    return result == 0 ? 0 : errno;
}

// An existing file written over in place, once its content is complete in
// memory and its size set aside, so that the write cannot stop halfway: where
// the folder has no room for another file (no permission, no inode left), or
// where asked. The new bytes go over the old from the start and the file is
// cut to its new length last: cutting a file, even to its own length, gives
// back the room set aside past its end (so on ext4 and tmpfs). Where the room
// cannot be set aside, the file is left as it was.
QString replaceInPlace(const Place& place, const Producer& write, bool asked) {
    const auto [failed, content] = SinkAccess::produce(-1, write);
    if (!failed.isEmpty()) return failed;
    const Descriptor file(::openat(place.folder.get(), place.name.constData(),
                                   O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat status {};
    if (file.get() < 0 || ::fstat(file.get(), &status) != 0) return qt_error_string(errno);
    if (!S_ISREG(status.st_mode)) return refusal(place, Target{Kind::Other, status, 0}, Existing::Replace);
    if (const int error = reserve(file.get(), content.size()); error != 0) {
        // Room set aside in part goes back, and so does the time the file last changed.
        bestEffort(::ftruncate(file.get(), status.st_size));
        const timespec times[2] = {status.st_atim, status.st_mtim};
        bestEffort(::futimens(file.get(), times));
        const QString reason = error == EOPNOTSUPP ? QCoreApplication::translate(
                                                         "SavedFile", "The file system cannot set room aside for it")
                                                   : qt_error_string(error);
        const QString why =
            asked ? QCoreApplication::translate("SavedFile", "It is written in place")
                  : QCoreApplication::translate(
                        "SavedFile", "No new file could be made beside it, so it could only be written in place");
        return QCoreApplication::translate("SavedFile", "%1\n%2; it was left as it was.").arg(reason, why);
    }
    int error = 0;
    {
        const Uninterrupted whole;
        error = writeAll(file.get(), content.data(), content.size());
        if (error == 0 && ::ftruncate(file.get(), off_t(content.size())) != 0) error = errno;
    }
    if (error == 0 && ::fsync(file.get()) != 0) error = errno;
    return error == 0 ? QString() : qt_error_string(error);
}

bool leavesNoRoom(int error) { return error == EACCES || error == EPERM || error == ENOSPC || error == EDQUOT; }

// How a save goes, found before anything is produced.
struct Plan {
    explicit Plan(const QString& path) : place(pathBytes(path)) {}
    Place place;
    Target target;
    PendingFile file;  // open, unless the target is written in place
    enum { NewFile, InPlaceAsked, InPlaceForRoom } how = NewFile;
};

// Empty, or why the save stops before its first byte.
QString prepare(Plan& plan, Existing existing, Written written) {
    if (plan.place.error != 0) return qt_error_string(plan.place.error);
    plan.target = lookAt(plan.place);
    if (plan.target.error != 0) return qt_error_string(plan.target.error);
    if (written == Written::InPlace && plan.target.kind == Kind::Regular) {
        plan.how = Plan::InPlaceAsked;
        return refusal(plan.place, plan.target, Existing::Replace);
    }
    if (QString refused = refusal(plan.place, plan.target, existing); !refused.isEmpty()) return refused;
    if (const int error = plan.file.open(plan.place); error != 0) {
        if (plan.target.kind != Kind::Regular || !leavesNoRoom(error)) return qt_error_string(error);
        plan.how = Plan::InPlaceForRoom;
    }
    return {};
}

QString save(const QString& path, Existing existing, const Producer& write, Written written) {
    Plan plan(path);
    if (QString stopped = prepare(plan, existing, written); !stopped.isEmpty()) return stopped;
    if (plan.how != Plan::NewFile) return replaceInPlace(plan.place, write, plan.how == Plan::InPlaceAsked);
    if (QString failed = produceInto(plan.file.fd(), write); !failed.isEmpty()) return failed;
    if (plan.target.kind == Kind::Missing) return saveNew(plan.file, plan.place, existing);
    return replaceExisting(plan.file, plan.place, plan.target);
}

QString cannotSave(const QString& path, const QString& reason) {
    if (reason.isEmpty()) return {};
    return QCoreApplication::translate("SavedFile", "Cannot save %1:\n%2").arg(shownPath(path), reason);
}

}  // namespace

QString saveFile(const QString& path, Existing existing, const std::function<bool(FileSink&)>& write, Written written) {
    QString reason;
    try {
        reason = save(path, existing, write, written);
    } catch (const std::bad_alloc&) {
        reason = noMemory();
    }
    return cannotSave(path, reason);
}

QString checkSave(const QString& path, Existing existing, Written written) {
    QString reason;
    try {
        Plan plan(path);
        reason = prepare(plan, existing, written);
    } catch (const std::bad_alloc&) {
        reason = noMemory();
    }
    return cannotSave(path, reason);
}

bool nameTaken(const QString& path) {
    const Place place(pathBytes(path));
    return place.error == 0 && lookAt(place).kind != Kind::Missing;
}

}  // namespace hexpane
