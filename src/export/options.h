// The exporter's command line: what it asks for, checked before anything is
// read or written.
#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include "picture/render.h"

namespace hexpane {

struct Options {
    QStringList patches;
    QString output = QStringLiteral(".");
    TransparentColour transparent = TransparentColour::Form;
    const char* format = "bmp";  // of the picture files: "bmp" or "png"
    QString mapPath, sizePath;   // empty: the table beside the program
    bool force = false;          // replace files that exist
    bool list = false, json = false;
    QString sheet;  // the overview's file; empty: no overview
    const char* sheetFormat = "png";
    int zoom = 1;
};

class CommandLine {
public:
    enum class Request { Run, Help, Version, BadUsage };

    CommandLine();

    // arguments[0] is the program. Needs no application object.
    Request parse(const QStringList& arguments);
    const Options& options() const { return options_; }
    const QString& error() const { return error_; }  // after BadUsage

    // Needs the application object, for the program's name.
    QString helpText() const { return parser_.helpText(); }

private:
    Request check();

    QCommandLineParser parser_;
    Options options_;
    QString error_;
};

}  // namespace hexpane
