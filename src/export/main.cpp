// hexpane-export: every picture of a patch to files, a listing, a sheet or a
// thumbnail.
#include <QCoreApplication>
#include <QGuiApplication>

#include <memory>
#include <utility>

#include "drawing/drawing.h"
#include "export/command_line.h"
#include "export/listing.h"
#include "export/picture_files.h"
#include "export/sheet.h"
#include "files/path_bytes.h"
#include "report/program.h"

namespace {

using namespace hexpane;

QtMessageHandler toolkitMessages = nullptr;

// The offscreen platform looks up the session's runtime folder, which a session
// without a desktop (a script, a build machine) lacks, and warns; nothing here
// uses that folder, so the warning would only be noise in a script's output.
void withoutRuntimeFolderWarning(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtWarningMsg && message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set"))) return;
    toolkitMessages(type, context, message);
}

// Only the sheet draws text, which needs a QGuiApplication; it runs on the
// offscreen platform unless the caller chose one, so no display is needed.
// The rest starts faster without one.
std::unique_ptr<QCoreApplication> makeApplication(int& argc, char** argv, bool drawsText) {
    if (!drawsText) return std::make_unique<QCoreApplication>(argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    toolkitMessages = qInstallMessageHandler(withoutRuntimeFolderWarning);
    return std::make_unique<QGuiApplication>(argc, argv);
}

bool namedTablesReadable(const TableFiles& files, Report& report) {
    const auto stopping = tablesThatStop(files, false);
    for (const auto& [table, reason] : stopping) {
        report.problem(
            ExitStatus::Failed,
            QStringLiteral("Cannot read the %1 %2:\n%3").arg(QLatin1String(table.what), shownPath(table.path), reason));
    }
    return stopping.empty();
}

// The tables beside the program may have problems of their own: they are
// told, and the run goes on with what was read, as the window does.
Tables readTables(const TableFiles& files, Report& report) {
    QStringList problems;
    Tables tables = loadTables(files, problems);
    if (!problems.isEmpty()) {
        report.note(QStringLiteral("Some of the tables could not be read as they are; going on with what was read."));
        for (const QString& problem : problems) report.note(problem);
    }
    return tables;
}

QString taskText(Task task) {
    switch (task) {
    case Task::Files:
        return QStringLiteral("write the pictures");
    case Task::List:
        return QStringLiteral("finish the listing");
    case Task::Sheet:
        return QStringLiteral("draw the sheet");
    case Task::Thumbnail:
        return QStringLiteral("draw the thumbnail");
    }
    return {};
}

// What the command line asks for; whatever stops it is reported, and what was
// reported before stays so.
void run(const ExportOptions& options, Report& report) {
    try {
        const TableFiles files = tableFiles(options.mapPath, options.sizePath);
        if (!namedTablesReadable(files, report)) return;
        const Tables tables = readTables(files, report);
        switch (options.task) {
        case Task::Files:
            return exportPatches(options, tables, report);
        case Task::List:
            return listPatches(options, tables, report);
        case Task::Sheet:
            return writeSheet(options, tables, report);
        case Task::Thumbnail:
            return writeThumbnail(options, tables, report);
        }
    } catch (...) {
        report.stopped(ExitStatus::Incomplete, taskText(options.task));
    }
}

}  // namespace

int main(int argc, char** argv) {
    ExportCommandLine line;
    return runProgram(argc, argv,
                      {.name = "hexpane-export",
                       .line = line,
                       .application =
                           [&](int& count, char** arguments, LineRequest request) {
                               const bool sheet = request == LineRequest::Run && line.options().task == Task::Sheet;
                               return makeApplication(count, arguments, sheet);
                           },
                       .run = [&](Report& report) { run(line.options(), report); }});
}
