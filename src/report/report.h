// What a command-line program tells the user on standard error, the exit
// status the run comes to (the worst thing that happened in it), and its
// standard output, every write of which is checked.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <utility>
#include <vector>

namespace hexpane {

enum class ExitStatus {
    Done = 0,        // everything asked for was written
    Incomplete = 1,  // a picture had no size, or a file could not be written
    Failed = 2,      // bad usage, or a patch that cannot be read
};

class Report {
public:
    Report() = default;  // tells each line at once
    // Keeps its lines until handed to another report: for work done alongside
    // other work, whose lines must still come out in order.
    static Report held();

    // One line on standard error, the program's name (the application name),
    // ": " and the message with its line breaks made spaces; the status becomes
    // at least `status`, even when there is no memory left to word the line.
    void problem(ExitStatus status, const QString& message);
    void note(const QString& message) { problem(ExitStatus::Done, message); }
    // One line on standard error as it is, without the program's name: text
    // meant to be copied elsewhere, such as lines for a table.
    void plain(const QString& line);
    // The held report's lines and status, as if they had been told here.
    void add(const Report& held);

    // The last word on an exception that ended a step of the run: out of
    // memory, or anything else, reported as a problem of at least `status`.
    // Call it from inside a catch block.
    void stopped(ExitStatus status, const QString& step) noexcept;

    ExitStatus status() const { return status_; }

private:
    ExitStatus status_ = ExitStatus::Done;
    bool holds_ = false;
    struct Line {
        ExitStatus status;
        QString message;
        bool plain;
    };
    std::vector<Line> lines_;
};

// Standard output, checked as the most careful command-line tools check it:
// every write, and once more at exit, when it is closed. The first failure is
// reported once, naming what could not be written, and makes the status at
// least Incomplete; nothing more is written after it.
class StandardOutput {
public:
    // what: what is written, as the message names it ("the listing").
    StandardOutput(Report& report, QString what) : report_(report), what_(std::move(what)) {}
    ~StandardOutput() = default;
    StandardOutput(const StandardOutput&) = delete;
    StandardOutput& operator=(const StandardOutput&) = delete;

    // Buffered; false once anything has failed.
    bool write(QByteArrayView bytes);
    // Writes what is buffered and closes the descriptor, as at the end of the
    // run; false if any byte did not reach it.
    bool close();
    bool failed() const { return failed_; }

private:
    bool flush();
    void fail(int error);

    Report& report_;
    QString what_;
    QByteArray buffer_;
    bool failed_ = false;
};

// Called first thing in main(): a standard stream that was closed when the
// program started gets a descriptor on which every write fails, so a file the
// program opens later cannot take its number and receive its listing or its
// messages, and writing to standard output is reported as failed.
void keepStandardStreams();

}  // namespace hexpane
