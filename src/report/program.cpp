#include "report/program.h"

#include <QStringList>

#include <cstdio>

#include "files/path_bytes.h"
#include "files/process.h"

namespace hexpane {

int runProgram(int argc, char** argv, const Program& program) {
    keepStandardStreams();
    setUpProcess();
    // Parsed before the application object exists, which may depend on what is asked.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << pathFromBytes(argv[i]);
    const LineRequest request = program.line.parse(arguments);
    const std::unique_ptr<QCoreApplication> application =
        program.application ? program.application(argc, argv, request) : std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QLatin1String(program.name));
    Report report;
    switch (request) {
    case LineRequest::Help:
        printOutput(program.line.helpText(), QStringLiteral("the help"), report);
        break;
    case LineRequest::Version:
        printOutput(QStringLiteral("%1 " HEXPANE_VERSION "\n").arg(QLatin1String(program.name)),
                    QStringLiteral("the version"), report);
        break;
    case LineRequest::BadUsage:
        return int(tellBadUsage(program.line.error()));
    case LineRequest::Run:
        program.run(report);
        break;
    }
    return int(report.status());
}

void printOutput(const QString& text, const QString& what, Report& report) {
    StandardOutput out(report, what);
    if (out.write(text.toUtf8())) out.close();
}

ExitStatus tellBadUsage(const QString& error) {
    const QByteArray name = QCoreApplication::applicationName().toUtf8();
    std::fprintf(stderr, "%s: %s\nTry '%s --help' for more.\n", name.constData(), shownPath(error).toUtf8().constData(),
                 name.constData());
    return ExitStatus::Failed;
}

}  // namespace hexpane
