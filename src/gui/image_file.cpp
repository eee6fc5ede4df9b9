#include "gui/image_file.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>

#include <csignal>

#include <sys/stat.h>

#include "gui/regular_file.h"

namespace hexpane {

namespace {

// Unbuffered, every write checked: a buffered file device can lose a short
// write (a full disk, a file-size limit) in its final flush and report success.
QString writeAll(QFileDevice& file, const QByteArray& bytes) {
    for (qint64 written = 0; written < bytes.size();) {
        const qint64 n = file.write(bytes.constData() + written, bytes.size() - written);
        if (n <= 0) return file.errorString();
        written += n;
    }
    return {};
}

// A folder that allows no new file leaves no room for the temporary file; an
// existing file there that may be written is written in place, as deleting and
// writing it anew would have done, and is then complete only if all went well.
QString writeInPlace(const QString& path, const QByteArray& bytes, const QString& refused) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Unbuffered)) return refused;  // no truncation yet
    QString reason = file.resize(0) ? writeAll(file, bytes) : file.errorString();
    if (reason.isEmpty() && !file.flush()) reason = file.errorString();
    if (reason.isEmpty()) return {};
    return QStringLiteral("%1\nThe folder allows no temporary file, so the file was written in place "
                          "and may now be incomplete.")
        .arg(reason);
}

QString save(const QImage& image, const QString& path, const char* format) {
    if (image.isNull()) return QStringLiteral("There is no picture to save.");

    struct stat status {};
    const bool exists = ::stat(QFile::encodeName(path).constData(), &status) == 0;
    if (exists && !S_ISREG(status.st_mode)) {
        return QStringLiteral("It is %1, not a regular file, so it was left as it is.").arg(fileKind(status.st_mode));
    }
    if (exists && !QFileInfo(path).isWritable()) return QStringLiteral("It is read-only, so it was left as it was.");

    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter encoder(&buffer, format);
    if (!encoder.write(image)) return encoder.errorString();

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return exists ? writeInPlace(path, encoded, file.errorString()) : file.errorString();
    }
    if (QString reason = writeAll(file, encoded); !reason.isEmpty()) {
        file.cancelWriting();
        return reason;
    }
    if (!file.commit()) return file.errorString();
    return {};
}

}  // namespace

QString saveImage(const QImage& image, const QString& path, const char* format) {
    // A write past a file-size limit must fail and be reported, not end the program.
    static const bool fileSizeSignalIgnored = std::signal(SIGXFSZ, SIG_IGN) != SIG_ERR;
    (void)fileSizeSignalIgnored;

    const QString reason = save(image, path, format);
    if (reason.isEmpty()) return {};
    return QStringLiteral("Cannot save %1:\n%2").arg(QDir::toNativeSeparators(path), reason);
}

}  // namespace hexpane
