// Running the built hexpane-export (its path is HEXPANE_EXPORT_PROGRAM), or
// another built program, the way a script does, and the files a test writes for it.
#pragma once

#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

namespace hexpane::test {

struct ExportRun {
    int status = -1;  // -1: it crashed or did not finish
    QByteArray out, err;
};

// Any of the built programs.
inline ExportRun runProgram(const QString& program, const QStringList& arguments, const QString& workDir) {
    QProcess process;
    process.setWorkingDirectory(workDir);
    process.start(program, arguments);
    ExportRun run;
    // A generous deadline: the runs take well under a second, sanitized too.
    if (!process.waitForFinished(120'000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    if (process.exitStatus() == QProcess::NormalExit) run.status = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

inline ExportRun runExport(const QStringList& arguments, const QString& workDir) {
    return runProgram(QStringLiteral(HEXPANE_EXPORT_PROGRAM), arguments, workDir);
}

inline void writeBytes(const QString& path, const std::string& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes.data(), qint64(bytes.size()));
}

inline QByteArray readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A patch of one picture per name, each 2 × 2 pixels unless pixels is given.
inline std::string patchOf(std::initializer_list<std::string> names, const char* pixels = "A0B1C2FF") {
    std::string patch;
    for (const std::string& name : names)
        patch += "##### Picture " + name + "\r\n; Picture Data\r\n1: 00000000 " + pixels + "\r\n\r\n";
    return patch;
}

}  // namespace hexpane::test
