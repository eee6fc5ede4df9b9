// What a command-line program tells the user on standard error, and the exit
// status the run comes to: the worst thing that happened in it.
#pragma once

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
    // at least `status`.
    void problem(ExitStatus status, const QString& message);
    void note(const QString& message) { problem(ExitStatus::Done, message); }
    // The held report's lines and status, as if they had been told here.
    void add(const Report& held);

    ExitStatus status() const { return status_; }

private:
    ExitStatus status_ = ExitStatus::Done;
    bool holds_ = false;
    std::vector<std::pair<ExitStatus, QString>> lines_;
};

}  // namespace hexpane
