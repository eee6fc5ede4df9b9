// Running the built programs (hexpane-export's path is HEXPANE_EXPORT_PROGRAM,
// or the environment's HEXPANE_EXPORT_UNDER_TEST, to try the tests on another
// build) the way a script does, and the files a test writes for it.
#pragma once

#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <QImage>

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <functional>
#include <initializer_list>
#include <string>

#include "files/path_bytes.h"

namespace hexpane::test {

struct ExportRun {
    int status = -1;  // -1: it crashed or did not finish
    QByteArray out, err;
};

struct RunSetup {
    QByteArray redirect;            // for bash, after the command: "> /dev/full", ">&-"
    std::function<void()> inChild;  // done in the child before the program starts: limits, identity
};

// A word for bash that stands for exactly these bytes, whatever they are.
inline QByteArray shellWord(const QByteArray& bytes) {
    QByteArray word = "$'";
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && c != '\'' && c != '\\') {
            word += c;
        } else {
            word += "\\x" + QByteArray::number(byte, 16).rightJustified(2, '0');
        }
    }
    return word + '\'';
}

inline QString exportProgram() {
    const QString chosen = qEnvironmentVariable("HEXPANE_EXPORT_UNDER_TEST");
    return chosen.isEmpty() ? QStringLiteral(HEXPANE_EXPORT_PROGRAM) : chosen;
}

// Any of the built programs. Arguments are paths as pathFromBytes gives them:
// a byte that is not UTF-8 reaches the program as that very byte, through bash.
inline ExportRun runProgram(const QString& program, const QStringList& arguments, const QString& workDir,
                            const RunSetup& setup = {}) {
    QByteArray command = "exec " + shellWord(pathBytes(program));
    for (const QString& argument : arguments) command += ' ' + shellWord(pathBytes(argument));
    command += ' ' + setup.redirect;
    QProcess process;
    process.setWorkingDirectory(workDir);
    if (setup.inChild) process.setChildProcessModifier(setup.inChild);
    process.start(QStringLiteral("/bin/bash"), {QStringLiteral("-c"), QString::fromLatin1(command)});
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

inline ExportRun runExport(const QStringList& arguments, const QString& workDir, const RunSetup& setup = {}) {
    return runProgram(exportProgram(), arguments, workDir, setup);
}

// Sets a limit in the child, for the program it runs.
inline RunSetup limited(int resource, rlim_t value, const QByteArray& redirect = {}) {
    return {redirect, [resource, value] {
                const rlimit limit{value, value};
                setrlimit(resource, &limit);
            }};
}

// Whether `image`, each pixel repeated `enlarge` times each way, or only every
// `reduce`-th pixel of each row and column kept, lies somewhere in `big`, pixel
// for pixel. Both in one 32-bit format.
inline bool holds(const QImage& big, const QImage& image, int enlarge, int reduce = 1) {
    const int w = (image.width() * enlarge + reduce - 1) / reduce, h = (image.height() * enlarge + reduce - 1) / reduce;
    const auto at = [&](int i, int j) { return image.pixel(i * reduce / enlarge, j * reduce / enlarge); };
    for (int y = 0; y + h <= big.height(); ++y) {
        for (int x = 0; x + w <= big.width(); ++x) {
            bool same = true;
            for (int j = 0; j < h && same; ++j)
                for (int i = 0; i < w && same; ++i) same = big.pixel(x + i, y + j) == at(i, j);
            if (same) return true;
        }
    }
    return false;
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
