#include "files/saved_file.h"

#include <QRandomGenerator>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <new>
#include <optional>
#include <stdexcept>

#include <fcntl.h>
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "files/path_bytes.h"
#include "files/regular_file.h"

namespace hexpane {

namespace {

constexpr std::size_t kPiece = std::size_t{1} << 16;  // what the sink gathers before it writes
constexpr int kAttempts = 100;                        // temporary names tried before giving up

QString noMemory() { return QStringLiteral("There is not enough memory to save it."); }

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
            if (!write(sink)) sink.fail(QStringLiteral("Saving it was given up."));
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

class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() { reset(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    void reset(int fd = -1) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }

private:
    int fd_;
};

// ---- Signals: what a save must finish before the process ends ----

// Holds SIGINT, SIGTERM and SIGHUP back from this thread while it lives.
class SignalsHeld {
public:
    SignalsHeld() {
        sigset_t set;
        sigemptyset(&set);
        for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&set, signal);
        pthread_sigmask(SIG_BLOCK, &set, &old_);
    }
    ~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &old_, nullptr); }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
    sigset_t old_{};
};

std::atomic<int> busy{0};         // threads in a step that must not be cut short
std::atomic<bool> ending{false};  // a signal is ending the process

// A named temporary file not yet complete, where the signal handler finds it.
struct Unfinished {
    int folder = -1;
    std::array<char, NAME_MAX + 1> name{};
};
std::array<std::atomic<const Unfinished*>, 1024> unfinished{};

bool enrol(const Unfinished* file) {
    return std::any_of(unfinished.begin(), unfinished.end(), [file](std::atomic<const Unfinished*>& slot) {
        const Unfinished* empty = nullptr;
        return slot.compare_exchange_strong(empty, file);
    });
}

void withdraw(const Unfinished* file) {
    for (auto& slot : unfinished) {
        const Unfinished* mine = file;
        if (slot.compare_exchange_strong(mine, nullptr)) return;
    }
}

// A step that must not be cut short: giving a file its name, or writing one in
// place. The signals wait in this thread, and a handler running in another
// waits for the step to end. No step allocates or locks, so that handler
// cannot wait on what it interrupted.
class Uninterrupted {
public:
    Uninterrupted() {
        busy.fetch_add(1);
        if (!ending.load()) return;
        busy.fetch_sub(1);  // the process is ending: take no new step
        for (;;) ::pause();
    }
    ~Uninterrupted() { busy.fetch_sub(1); }
    Uninterrupted(const Uninterrupted&) = delete;
    Uninterrupted& operator=(const Uninterrupted&) = delete;

private:
    SignalsHeld held_;
};

void endAfterSaves(int signal) {
    ending.store(true);
    while (busy.load() != 0) sched_yield();
    for (auto& slot : unfinished) {
        if (const Unfinished* file = slot.load()) ::unlinkat(file->folder, file->name.data(), 0);
    }
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(signal, &fallback, nullptr);
    raise(signal);  // delivered as the handler returns, and ends the process
}

// ---- The target ----

// The target's folder, open, and the target's name in it.
struct Place {
    explicit Place(const QByteArray& path);
    Descriptor folder;
    QByteArray name;
    int error = 0;  // why the folder could not be opened
};

Place::Place(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    name = path.mid(slash + 1);
    if (name.isEmpty()) {
        error = path.isEmpty() ? ENOENT : EISDIR;
    } else if (name.size() > NAME_MAX) {
        error = ENAMETOOLONG;
    } else {
        const QByteArray at = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
        folder.reset(::open(at.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        if (folder.get() < 0) error = errno;
    }
}

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
        return QStringLiteral("It is %1, not a regular file, so it was left as it is.")
            .arg(fileKind(target.status.st_mode));
    }
    if (existing == Existing::Keep) return QStringLiteral("It exists, so it was left as it is.");
    if (target.kind == Kind::Regular &&
        ((target.status.st_mode & 0222) == 0 ||
         (::faccessat(place.folder.get(), place.name.constData(), W_OK, AT_EACCESS) != 0 && errno == EACCES))) {
        return QStringLiteral("It is read-only, so it was left as it was.");
    }
    return {};
}

// A name for a file on its way to name, in the same folder: never longer, so
// a path that fits still fits. Hidden, unless name has a single character.
QByteArray temporaryName(const QByteArray& name) {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray temporary(std::min<qsizetype>(name.size(), 12), '.');
    for (qsizetype i = temporary.size() > 1 ? 1 : 0; i < temporary.size(); ++i) {
        temporary[i] = kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters) - 1)];
    }
    return temporary;
}

// ---- The file being written ----

// Without a name where the file system allows (O_TMPFILE), so that nothing is
// left of it if the process ends; elsewhere under a temporary name, which the
// signals wait for in this thread, or which a handler removes.
class PendingFile {
public:
    PendingFile() = default;
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    int open(const Place& place);  // 0, or why no file can be made in the folder
    int fd() const { return fd_.get(); }
    int linkAsNew(const Place& place);  // never replaces anything: EEXIST then
    int replace(const Place& place);    // in place of whatever has the name

private:
    int openNamed(const Place& place);
    int createEnrolled();
    int linkUnnamed(int folder, const char* name) const;

    Descriptor fd_;
    std::array<char, 32> proc_{};      // the unnamed file as /proc shows it
    std::optional<SignalsHeld> held_;  // a named file: until it has its name or is gone
    Unfinished unfinished_;
    bool enrolled_ = false;
};

PendingFile::~PendingFile() {
    if (!enrolled_) return;
    const Uninterrupted step;
    ::unlinkat(unfinished_.folder, unfinished_.name.data(), 0);
    withdraw(&unfinished_);
}

int PendingFile::open(const Place& place) {
    fd_.reset(::openat(place.folder.get(), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));  // the umask applies
    if (fd_.get() >= 0) {
        std::snprintf(proc_.data(), proc_.size(), "/proc/self/fd/%d", fd_.get());
        return 0;
    }
    if (errno != EOPNOTSUPP && errno != EISDIR) return errno;  // EISDIR: a kernel without O_TMPFILE
    return openNamed(place);
}

int PendingFile::openNamed(const Place& place) {
    held_.emplace();
    unfinished_.folder = place.folder.get();
    int error = EEXIST;
    for (int attempt = 0; attempt < kAttempts && error == EEXIST; ++attempt) {
        const QByteArray name = temporaryName(place.name);
        if (name == place.name) continue;
        std::copy(name.begin(), name.end(), unfinished_.name.begin());
        unfinished_.name[std::size_t(name.size())] = '\0';
        error = createEnrolled();
    }
    if (error != 0) held_.reset();
    return error;
}

int PendingFile::createEnrolled() {
    const Uninterrupted step;
    const char* name = unfinished_.name.data();
    fd_.reset(::openat(unfinished_.folder, name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (fd_.get() < 0) return errno;
    enrolled_ = enrol(&unfinished_);
    if (enrolled_) return 0;
    ::unlinkat(unfinished_.folder, name, 0);  // more files on their way at once than the handler can note
    fd_.reset();
    return EAGAIN;
}

int PendingFile::linkUnnamed(int folder, const char* name) const {
    if (::linkat(AT_FDCWD, proc_.data(), folder, name, AT_SYMLINK_FOLLOW) == 0) return 0;
    if (errno != ENOENT) return errno;
    return ::linkat(fd_.get(), "", folder, name, AT_EMPTY_PATH) == 0 ? 0 : errno;  // no /proc
}

int PendingFile::linkAsNew(const Place& place) {
    const int folder = place.folder.get();
    if (!enrolled_) return linkUnnamed(folder, place.name.constData());
    const Uninterrupted step;
    const char* temporary = unfinished_.name.data();
    if (::renameat2(folder, temporary, folder, place.name.constData(), RENAME_NOREPLACE) != 0) {
        if (errno != EINVAL && errno != ENOSYS) return errno;
        if (::linkat(folder, temporary, folder, place.name.constData(), 0) != 0) return errno;
        ::unlinkat(folder, temporary, 0);
    }
    withdraw(&unfinished_);
    enrolled_ = false;
    return 0;
}

// There is no call that links a file over another, so an unnamed one is
// linked under a temporary name first and renamed over the target at once.
int PendingFile::replace(const Place& place) {
    const int folder = place.folder.get();
    const char* target = place.name.constData();
    if (enrolled_) {
        const Uninterrupted step;
        if (::renameat(folder, unfinished_.name.data(), folder, target) != 0) return errno;
        withdraw(&unfinished_);
        enrolled_ = false;
        return 0;
    }
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const QByteArray temporary = temporaryName(place.name);
        if (temporary == place.name) continue;
        const Uninterrupted step;
        const int error = linkUnnamed(folder, temporary.constData());
        if (error == EEXIST) continue;
        if (error != 0) return error;
        if (::renameat(folder, temporary.constData(), folder, target) == 0) return 0;
        const int failed = errno;
        ::unlinkat(folder, temporary.constData(), 0);
        return failed;
    }
    return EEXIST;
}

// ---- New files and replaced ones ----

using Producer = std::function<bool(FileSink&)>;

// The content is written in full before anything has the target's name, so
// whatever stops the writing leaves nothing changed.
QString produceInto(int fd, const Producer& write) { return SinkAccess::produce(fd, write).error; }

// A replaced file keeps its permissions, and its owner and group where this
// user may give them (any group of the user's; anything for root).
void adopt(int fd, const struct stat& old) {
    (void)::fchmod(fd, old.st_mode & 0777);  // first: once given away, the file is no longer ours to change
    if (::fchown(fd, old.st_uid, old.st_gid) != 0) (void)::fchown(fd, uid_t(-1), old.st_gid);
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

// Where the folder has no room for another file (no permission, no inode
// left), an existing file is written over in place, once its content is
// complete in memory and its size set aside, so that the write cannot stop
// halfway. The new bytes go over the old from the start and the file is cut
// to its new length last: cutting a file, even to its own length, gives back
// the room set aside past its end (so on ext4 and tmpfs). Where the room
// cannot be set aside, the file is left as it was.
QString replaceInPlace(const Place& place, const Producer& write) {
    const auto [failed, content] = SinkAccess::produce(-1, write);
    if (!failed.isEmpty()) return failed;
    const Descriptor file(::openat(place.folder.get(), place.name.constData(),
                                   O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat status {};
    if (file.get() < 0 || ::fstat(file.get(), &status) != 0) return qt_error_string(errno);
    if (!S_ISREG(status.st_mode)) return refusal(place, Target{Kind::Other, status, 0}, Existing::Replace);
    if (const int error = reserve(file.get(), content.size()); error != 0) {
        // Room set aside in part goes back, and so does the time the file last changed.
        (void)::ftruncate(file.get(), status.st_size);
        const timespec times[2] = {status.st_atim, status.st_mtim};
        (void)::futimens(file.get(), times);
        const QString reason = error == EOPNOTSUPP ? QStringLiteral("The file system cannot set room aside for it")
                                                   : qt_error_string(error);
        return QStringLiteral(
                   "%1\nNo new file could be made beside it, so it could only be written in place; "
                   "it was left as it was.")
            .arg(reason);
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

QString save(const QString& path, Existing existing, const Producer& write) {
    const Place place(pathBytes(path));
    if (place.error != 0) return qt_error_string(place.error);
    const Target target = lookAt(place);
    if (target.error != 0) return qt_error_string(target.error);
    if (QString refused = refusal(place, target, existing); !refused.isEmpty()) return refused;
    PendingFile file;
    if (const int error = file.open(place); error != 0) {
        if (target.kind == Kind::Regular && leavesNoRoom(error)) return replaceInPlace(place, write);
        return qt_error_string(error);
    }
    if (QString failed = produceInto(file.fd(), write); !failed.isEmpty()) return failed;
    if (target.kind == Kind::Missing) return saveNew(file, place, existing);
    return replaceExisting(file, place, target);
}

}  // namespace

QString saveFile(const QString& path, Existing existing, const std::function<bool(FileSink&)>& write) {
    QString reason;
    try {
        reason = save(path, existing, write);
    } catch (const std::bad_alloc&) {
        reason = noMemory();
    }
    if (reason.isEmpty()) return {};
    return QStringLiteral("Cannot save %1:\n%2").arg(shownPath(path), reason);
}

void finishSavesOnSignals() {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction old {};
        if (sigaction(signal, nullptr, &old) != 0 || (old.sa_flags & SA_SIGINFO) || old.sa_handler != SIG_DFL) {
            continue;
        }
        struct sigaction action {};
        action.sa_handler = endAfterSaves;
        sigemptyset(&action.sa_mask);
        for (const int other : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&action.sa_mask, other);
        action.sa_flags = SA_RESTART;
        sigaction(signal, &action, nullptr);
    }
}

}  // namespace hexpane
