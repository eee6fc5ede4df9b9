// The exporter's command line: what it asks for, checked before anything is
// read or written, and its help.
#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include "picture/render.h"
#include "report/command_line.h"

namespace hexpane {

// What a run makes of its patches.
enum class Task { Files, List, Sheet, Thumbnail };

struct ExportOptions {
    Task task = Task::Files;
    QStringList patches;
    QString output = QStringLiteral(".");
    TransparentColour transparent = TransparentColour::Form;
    const char* format = "bmp";  // of the picture files: "bmp" or "png"
    QString mapPath, sizePath;   // empty: the table beside the program
    bool force = false;          // replace files that exist
    bool json = false;           // the listing as JSON
    QString sheet;               // the overview's file, or the thumbnail's
    const char* sheetFormat = "png";
    int zoom = 1;
    int thumbnailSize = 0;  // the thumbnail's largest side
};

inline constexpr int kMinThumbnail = 16, kMaxThumbnail = 4096;

class ExportCommandLine {
public:
    using Request = LineRequest;

    ExportCommandLine();

    // arguments[0] is the program. Needs no application object.
    Request parse(const QStringList& arguments);
    const ExportOptions& options() const { return options_; }
    const QString& error() const { return error_; }  // after BadUsage

    // Needs the application object, for the program's name.
    QString helpText() const { return parser_.helpText(); }

private:
    Request check();
    QString checkTask();
    QString checkDrawing();

    QCommandLineParser parser_;
    ExportOptions options_;
    QString error_;
};

}  // namespace hexpane
