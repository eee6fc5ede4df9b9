// hexpane-import: edited pictures back into a patch, changing only the
// characters of the pixels that changed.
#include <QCoreApplication>

#include <csignal>
#include <cstdio>

#include "gui/path_bytes.h"
#include "gui/report.h"
#include "gui/saved_file.h"
#include "import/options.h"
#include "import/run.h"

int main(int argc, char** argv) {
    // A write past a file-size limit must fail and be reported, not end the program.
    std::signal(SIGXFSZ, SIG_IGN);
    // Stopped by a signal, the program leaves no part of the patch it was writing.
    hexpane::finishSavesOnSignals();
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << hexpane::pathFromBytes(argv[i]);
    hexpane::ImportCommandLine line;
    const hexpane::LineRequest request = line.parse(arguments);
    const QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("hexpane-import"));
    switch (request) {
    case hexpane::LineRequest::Help:
        std::fputs(line.helpText().toLocal8Bit().constData(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    case hexpane::LineRequest::Version:
        std::printf("hexpane-import %s\n", HEXPANE_VERSION);
        return std::fflush(stdout) == 0 ? 0 : 1;
    case hexpane::LineRequest::BadUsage:
        std::fprintf(stderr, "hexpane-import: %s\nTry 'hexpane-import --help' for more.\n",
                     line.error().toLocal8Bit().constData());
        return int(hexpane::ExitStatus::Failed);
    case hexpane::LineRequest::Run:
        break;
    }
    return int(hexpane::runImport(line.options()));
}
