// The exporter's command line: what it asks for, checked before anything is
// read or written, and its help.
#pragma once

#include <QString>
#include <QStringList>

#include "drawing/drawing.h"
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
    const char* format = "bmp";         // of the picture files: "bmp" or "png"
    QString mapPath, sizePath;          // empty: the table beside the program
    bool force = false;                 // replace files that exist
    bool json = false;                  // the listing as JSON
    Guessing guessing = Guessing::Off;  // a picture the size table has no size for gets its best guess
    QString sheet;                      // the overview's file, or the thumbnail's
    const char* sheetFormat = "png";
    int zoom = 1;
    int thumbnailSize = 0;  // the thumbnail's largest side
};

// The limits of --zoom and --thumbnail, which the help, the messages and the
// shell completion (built from this file) all give.
inline constexpr int kMinZoom = 1, kMaxZoom = 16;
inline constexpr int kMinThumbnail = 16, kMaxThumbnail = 4096;

class ExportCommandLine final : public CommandLine {
public:
    ExportCommandLine();
    const ExportOptions& options() const { return options_; }

private:
    QString check() override;
    QString checkTask();
    QString checkDrawing();

    ExportOptions options_;
};

}  // namespace hexpane
