// Saving a file whole or not at all. The content goes to a file without a name
// in the target's folder, which takes the target's name only once complete, so
// a failed save leaves an existing file as it was and no part of a new one, and
// a process ended by a signal leaves nothing behind. A symbolic link at the
// target's name is a name to replace, never a way to write elsewhere.
#pragma once

#include <QString>

#include <cstddef>
#include <functional>
#include <string>

namespace hexpane {

enum class Existing { Replace, Keep };

// How a file takes its place: as a new file, which takes the name once
// complete (the rule); or, for InPlace, by writing an existing regular file (not
// a link) in place, so that whoever holds it open reads the new content. The
// content is then complete before the first byte changes, and its room set
// aside, so that the write cannot stop halfway. What else has the name is kept
// or replaced as Existing says.
enum class Written { AsNewFile, InPlace };

// Takes the content of a file being saved, piece by piece, in order.
class FileSink {
public:
    FileSink(const FileSink&) = delete;
    FileSink& operator=(const FileSink&) = delete;
    ~FileSink() = default;

    // False once a piece could not be written; error() then says why.
    bool write(const char* data, std::size_t size);
    // For the producer's own failure: keeps reason as the error and returns false.
    bool fail(const QString& reason);
    const QString& error() const { return error_; }

private:
    friend struct SinkAccess;
    explicit FileSink(int fd) : fd_(fd) {}  // -1: the content is kept in memory
    bool writeOut(const char* data, std::size_t size);
    bool flush();

    int fd_;
    std::string buffer_;
    QString error_;
};

// Empty on success, else "Cannot save PATH:\n<reason>". write is called once,
// unless the save is refused first, and hands the content to the sink; it
// returns false to give up, which leaves everything as it was. With Keep, a
// file that exists, or comes to be while this one is written, stays as it is.
// A file that grants no one write permission, or that this user may not
// write, is refused; a replaced file keeps its permissions, and its owner and
// group where this user may give them.
QString saveFile(const QString& path, Existing existing, const std::function<bool(FileSink&)>& write,
                 Written written = Written::AsNewFile);

// Empty when saveFile would go on to write; otherwise what it would say
// before writing: the same refusals and failures, in the same words (no
// folder, no room for a new file, a folder or device at the name, a file it
// must keep). Writes nothing; a file then made without a name goes with it.
QString checkSave(const QString& path, Existing existing, Written written = Written::AsNewFile);

// Whether anything has this name, a symbolic link too (dangling or not): what
// a save with Keep leaves as it is. A name that cannot be looked at counts as
// free, and the save then says why it cannot be written.
bool nameTaken(const QString& path);

// For each program's main(): SIGINT, SIGTERM and SIGHUP then wait for a file
// taking its name in another thread, and remove an unfinished temporary file,
// before they end the process as before. A signal the program was started
// ignoring stays ignored. Without it a save still leaves nothing behind when
// the signal reaches the thread that saves, as it does in one thread alone.
void finishSavesOnSignals();

}  // namespace hexpane
