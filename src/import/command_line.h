// The importer's command line: what it asks for, checked before anything is
// read or written.
#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include "picture/render.h"
#include "report/command_line.h"

namespace hexpane {

struct ImportOptions {
    QString patch;
    QStringList images;  // files and folders, as named
    QString output;
    TransparentColour transparent = TransparentColour::Form;
    QString mapPath, sizePath;  // empty: the table beside the program
    bool nearest = false;       // a colour no code draws takes the nearest code's
    bool force = false;         // replace the output file when it exists
    bool dryRun = false;        // tell what would change, write nothing
};

class ImportCommandLine {
public:
    ImportCommandLine();

    // arguments[0] is the program. Needs no application object.
    LineRequest parse(const QStringList& arguments);
    const ImportOptions& options() const { return options_; }
    const QString& error() const { return error_; }  // after BadUsage

    // Needs the application object, for the program's name.
    QString helpText() const { return parser_.helpText(); }

private:
    LineRequest check();

    QCommandLineParser parser_;
    ImportOptions options_;
    QString error_;
};

}  // namespace hexpane
