// The start of every command-line program, one skeleton for all: standard
// streams kept, the process set up (files/process.h), the arguments taken as
// bytes and parsed; then the help, the version or the bad usage told, or the
// run done. Each main() names its parts.
#pragma once

#include <QCoreApplication>
#include <QString>

#include <functional>
#include <memory>

#include "report/command_line.h"
#include "report/report.h"

namespace hexpane {

struct Program {
    const char* name;  // as messages and the version name it: "hexpane-export"
    CommandLine& line;
    // The application object for what the line asks for; a QCoreApplication
    // when empty. Made after the line is parsed, before anything is told.
    std::function<std::unique_ptr<QCoreApplication>(int& argc, char** argv, LineRequest request)> application;
    // What a line that asks to run does; whatever it tells goes to report.
    std::function<void(Report& report)> run;
};

// Returns the exit status.
int runProgram(int argc, char** argv, const Program& program);

// The help or the version, the whole of a run's output, on standard output,
// checked as every write is; `what` names it in the message should it fail.
void printOutput(const QString& text, const QString& what, Report& report);

// Tells a line that cannot be run on standard error, with where to read more,
// and gives its status. The reason may quote an argument: it is shown as paths
// are, so it cannot steer a terminal.
ExitStatus tellBadUsage(const QString& error);

}  // namespace hexpane
