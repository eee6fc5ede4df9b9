// What the command-line programs share of their command lines: what a line
// asks for before the program's own checks, the names of the --transparent
// option's values, and reading a file the line names.
#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <istream>
#include <optional>
#include <utility>

#include "files/path_bytes.h"
#include "files/regular_file.h"
#include "picture/render.h"
#include "report/report.h"

namespace hexpane {

enum class LineRequest { Run, Help, Version, BadUsage };

// -h, --help and -v, --version, which parseLine looks for.
QList<QCommandLineOption> helpAndVersionOptions();

// Help or Version when asked for, whatever else the line holds; BadUsage, with
// the parser's reason in *error, when it cannot be parsed; otherwise Run, for
// the program to check the rest. arguments[0] is the program.
LineRequest parseLine(QCommandLineParser& parser, const QStringList& arguments, QString* error);

// The help or the version, the whole of a run's output, on standard output,
// checked as every write is; `what` names it in the message should it fail.
void printOutput(const QString& text, const QString& what, Report& report);

// Tells a line that cannot be run on standard error, with where to read more,
// and gives its status. The reason may quote an argument: it is shown as paths
// are, so it cannot steer a terminal.
ExitStatus tellBadUsage(const QString& error);

// --transparent form|phone|standard, which draws or reads C0 as described.
QCommandLineOption transparentOption(const QString& description);
// The value --transparent names into *value, left as it is when the option is
// not given; the reason, when the name is not one of the three; else empty.
QString takeTransparent(const QCommandLineParser& parser, TransparentColour* value);

// --map FILE and --size FILE: the tables to use instead of those beside the
// program. Their paths as given, empty when not given.
QList<QCommandLineOption> tableOptions();
QString mapPathGiven(const QCommandLineParser& parser);
QString sizePathGiven(const QCommandLineParser& parser);

// What read makes of the file at path (as readFile gives it), or none when the
// file cannot be read, which is told to report as "Cannot read PATH:\nreason"
// with the status Failed.
template <typename Read>
auto readReported(const QString& path, Read read, Report& report)
    -> std::optional<decltype(read(std::declval<std::istream&>()))> {
    QString error;
    auto result = readFile(path, read, &error);
    if (error.isEmpty()) return result;
    report.problem(ExitStatus::Failed, QStringLiteral("Cannot read %1:\n%2").arg(shownPath(path), error));
    return std::nullopt;
}

}  // namespace hexpane
