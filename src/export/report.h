// What the exporter tells the user on standard error, and the exit status the
// run comes to: the worst thing that happened in it.
#pragma once

#include <QString>

namespace hexpane {

enum class ExitStatus {
    Done = 0,        // everything asked for was written
    Incomplete = 1,  // a picture had no size, or a file could not be written
    Failed = 2,      // bad usage, or a patch that cannot be read
};

class Report {
public:
    // One line on standard error, "hexpane-export: " and the message with its
    // line breaks made spaces; the status becomes at least `status`.
    void problem(ExitStatus status, const QString& message);
    void note(const QString& message) { problem(ExitStatus::Done, message); }

    ExitStatus status() const { return status_; }

private:
    ExitStatus status_ = ExitStatus::Done;
};

}  // namespace hexpane
