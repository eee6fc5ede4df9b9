// The importer's command line: what it asks for, checked before anything is
// read or written.
#pragma once

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

class ImportCommandLine final : public CommandLine {
public:
    ImportCommandLine();
    const ImportOptions& options() const { return options_; }

private:
    QString check() override;

    ImportOptions options_;
};

}  // namespace hexpane
