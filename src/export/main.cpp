// hexpane-export: every picture of a patch to files, a listing, or a sheet.
#include <QCoreApplication>
#include <QGuiApplication>

#include <csignal>
#include <cstdio>
#include <memory>

#include "export/options.h"
#include "export/run.h"
#include "gui/path_bytes.h"
#include "gui/report.h"
#include "gui/saved_file.h"

namespace {

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

}  // namespace

int main(int argc, char** argv) {
    // A write past a file-size limit must fail and be reported, not end the program.
    std::signal(SIGXFSZ, SIG_IGN);
    // Stopped by a signal, the program leaves no part of a file it was writing.
    hexpane::finishSavesOnSignals();
    using hexpane::CommandLine;
    // Parsed before the application object exists, which is chosen by what is asked.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << hexpane::pathFromBytes(argv[i]);
    CommandLine line;
    const CommandLine::Request request = line.parse(arguments);
    const auto app =
        makeApplication(argc, argv, request == CommandLine::Request::Run && !line.options().sheet.isEmpty());
    QCoreApplication::setApplicationName(QStringLiteral("hexpane-export"));
    switch (request) {
    case CommandLine::Request::Help:
        std::fputs(line.helpText().toLocal8Bit().constData(), stdout);
        return 0;
    case CommandLine::Request::Version:
        std::printf("hexpane-export %s\n", HEXPANE_VERSION);
        return 0;
    case CommandLine::Request::BadUsage:
        std::fprintf(stderr, "hexpane-export: %s\nTry 'hexpane-export --help' for more.\n",
                     line.error().toLocal8Bit().constData());
        return int(hexpane::ExitStatus::Failed);
    case CommandLine::Request::Run:
        break;
    }
    return int(hexpane::run(line.options()));
}
