#include "files/pending_file.h"

#include <QRandomGenerator>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <pthread.h>
#include <sched.h>
#include <unistd.h>

#include "files/saved_file.h"

namespace hexpane::saving {

namespace {

constexpr int kAttempts = 100;  // temporary names tried before giving up

std::atomic<int> busy{0};         // threads in a step that must not be cut short
std::atomic<bool> ending{false};  // a signal is ending the process

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

}  // namespace

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

namespace {

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

}  // namespace

SignalsHeld::SignalsHeld() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&set, signal);
    pthread_sigmask(SIG_BLOCK, &set, &old_);
}

SignalsHeld::~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &old_, nullptr); }

Uninterrupted::Uninterrupted() {
    busy.fetch_add(1);
    if (!ending.load()) return;
    busy.fetch_sub(1);  // the process is ending: take no new step
    for (;;) ::pause();
}

Uninterrupted::~Uninterrupted() { busy.fetch_sub(1); }

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

}  // namespace hexpane::saving

namespace hexpane {

void finishSavesOnSignals() {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction old {};
        if (sigaction(signal, nullptr, &old) != 0 || (old.sa_flags & SA_SIGINFO) || old.sa_handler != SIG_DFL) {
            continue;
        }
        struct sigaction action {};
        action.sa_handler = saving::endAfterSaves;
        sigemptyset(&action.sa_mask);
        for (const int other : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&action.sa_mask, other);
        action.sa_flags = SA_RESTART;
        sigaction(signal, &action, nullptr);
    }
}

}  // namespace hexpane
