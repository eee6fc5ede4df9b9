// What the command-line programs share of their command lines: the parsing of
// a line into what it asks for, the options both programs take, and reading
// a file the line names.
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

// A program's command line. Each program gives the table of its options, in
// the order its help lists them, and checks what the parser found.
class CommandLine {
public:
    virtual ~CommandLine() = default;
    CommandLine(const CommandLine&) = delete;
    CommandLine& operator=(const CommandLine&) = delete;

    // Help or Version when asked for, whatever else the line holds; BadUsage,
    // with the reason in error(), when it cannot be parsed or the program's
    // checks refuse it; otherwise Run. arguments[0] is the program. Needs no
    // application object.
    LineRequest parse(const QStringList& arguments);
    const QString& error() const { return error_; }  // after BadUsage

    // Needs the application object, for the program's name.
    QString helpText() const { return parser_.helpText(); }

protected:
    // options: the program's table; -h, --help, -v and --version are added.
    CommandLine(const QString& description, const QList<QCommandLineOption>& options);
    // The program's own checks of a parsed line: the reason it cannot run, or empty.
    virtual QString check() = 0;

    QCommandLineParser parser_;

private:
    QString error_;
};

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

// What read makes of the file at path (as readFile gives it, with *digest),
// or none when the file cannot be read, which is told to report as "Cannot
// read PATH:\nreason" with the status Failed.
template <typename Read>
auto readReported(const QString& path, Read read, Report& report, FileDigest* digest = nullptr)
    -> std::optional<decltype(read(std::declval<std::istream&>()))> {
    QString error;
    auto result = readFile(path, read, &error, digest);
    if (error.isEmpty()) return result;
    report.problem(ExitStatus::Failed, QStringLiteral("Cannot read %1:\n%2").arg(shownPath(path), error));
    return std::nullopt;
}

}  // namespace hexpane
