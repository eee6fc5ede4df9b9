// The file a save writes before it takes its target's name, and what a signal
// must let finish first. For saved_file.cpp alone.
#pragma once

#include <QByteArray>

#include <array>
#include <climits>
#include <optional>

#include <signal.h>
#include <unistd.h>

namespace hexpane::saving {

// An open file descriptor, closed when it goes.
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

// Holds SIGINT, SIGTERM and SIGHUP back from this thread while it lives.
class SignalsHeld {
public:
    SignalsHeld();
    ~SignalsHeld();
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
    sigset_t old_{};
};

// A step that must not be cut short: giving a file its name, or writing one in
// place. The signals wait in this thread, and a handler running in another
// waits for the step to end. No step allocates or locks, so that handler
// cannot wait on what it interrupted.
class Uninterrupted {
public:
    Uninterrupted();
    ~Uninterrupted();
    Uninterrupted(const Uninterrupted&) = delete;
    Uninterrupted& operator=(const Uninterrupted&) = delete;

private:
    SignalsHeld held_;
};

// A named temporary file not yet complete, where the signal handler finds it.
struct Unfinished {
    int folder = -1;
    std::array<char, NAME_MAX + 1> name{};
};

// The target's folder, open, and the target's name in it.
struct Place {
    explicit Place(const QByteArray& path);
    Descriptor folder;
    QByteArray name;
    int error = 0;  // why the folder could not be opened
};

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

// The handler finishSavesOnSignals installs: lets every step that must not be
// cut short end, removes the named temporary files not yet complete, then
// ends the process by the signal as before.
void endAfterSaves(int signal);

}  // namespace hexpane::saving
