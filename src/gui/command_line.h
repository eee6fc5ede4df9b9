// What the command-line programs share of their command lines: what a line
// asks for before the program's own checks, and the names of the
// --transparent option's values.
#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <optional>

#include "picture/render.h"

namespace hexpane {

enum class LineRequest { Run, Help, Version, BadUsage };

// -h, --help and -v, --version, which parseLine looks for.
QList<QCommandLineOption> helpAndVersionOptions();

// Help or Version when asked for, whatever else the line holds; BadUsage, with
// the parser's reason in *error, when it cannot be parsed; otherwise Run, for
// the program to check the rest. arguments[0] is the program.
LineRequest parseLine(QCommandLineParser& parser, const QStringList& arguments, QString* error);

// --transparent form|phone|standard, which draws or reads C0 as described.
QCommandLineOption transparentOption(const QString& description);
// The value named, or none for a name that is not one of the three.
std::optional<TransparentColour> transparentNamed(const QString& name);

}  // namespace hexpane
