// hexpane-import: edited pictures back into a patch, changing only the
// characters of the pixels that changed.
#include <QCoreApplication>

#include <csignal>
#include <cstdio>

#include "files/path_bytes.h"
#include "files/saved_file.h"
#include "import/command_line.h"
#include "import/run.h"
#include "report/command_line.h"
#include "report/report.h"

int main(int argc, char** argv) {
    hexpane::keepStandardStreams();
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
    hexpane::Report report;
    switch (request) {
    case hexpane::LineRequest::Help:
        hexpane::printOutput(line.helpText(), QStringLiteral("the help"), report);
        return int(report.status());
    case hexpane::LineRequest::Version:
        hexpane::printOutput(QStringLiteral("hexpane-import " HEXPANE_VERSION "\n"), QStringLiteral("the version"),
                             report);
        return int(report.status());
    case hexpane::LineRequest::BadUsage:
        return int(hexpane::tellBadUsage(line.error()));
    case hexpane::LineRequest::Run:
        break;
    }
    return int(hexpane::runImport(line.options()));
}
