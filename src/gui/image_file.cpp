#include "gui/image_file.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QSaveFile>

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "gui/path_bytes.h"
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
    return QStringLiteral(
               "%1\nThe folder allows no temporary file, so the file was written in place "
               "and may now be incomplete.")
        .arg(reason);
}

QString writeFd(int fd, const QByteArray& bytes) {
    for (qsizetype written = 0; written < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + written, std::size_t(bytes.size() - written));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return qt_error_string(n < 0 ? errno : ENOSPC);
        written += n;
    }
    return {};
}

// Gives the complete temporary file its name, unless a file of that name has
// appeared meanwhile. File systems that cannot rename so take a hard link.
int takeName(const QByteArray& temporary, const QByteArray& name) {
    if (::renameat2(AT_FDCWD, temporary.constData(), AT_FDCWD, name.constData(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    if (::link(temporary.constData(), name.constData()) != 0) return errno;
    ::unlink(temporary.constData());
    return 0;
}

// A new file is written as a temporary file beside its name and takes the
// name once complete, so it is there whole or not at all. It is not synced to
// the disk first, as a replaced one is: should the system stop before the data
// reach the disk, no earlier file is lost. *appeared tells that a file of that
// name came to be meanwhile, and nothing was written.
QString writeNew(const QString& path, const QByteArray& bytes, bool* appeared) {
    const QByteArray name = pathBytes(path);
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temporary = name + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".tmp";
        fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);  // the umask applies
        if (fd < 0 && errno != EEXIST) return qt_error_string(errno);
    }
    if (fd < 0) return qt_error_string(EEXIST);
    QString reason = writeFd(fd, bytes);
    if (::close(fd) != 0 && reason.isEmpty()) reason = qt_error_string(errno);
    if (reason.isEmpty()) {
        const int error = takeName(temporary, name);
        if (error == 0) return {};
        *appeared = error == EEXIST;
        reason = qt_error_string(error);
    }
    ::unlink(temporary.constData());
    return reason;
}

QString save(const QImage& image, const QString& path, const char* format, Existing existing) {
    if (image.isNull()) return QStringLiteral("There is no picture to save.");

    struct stat status {};
    const bool exists = ::stat(pathBytes(path).constData(), &status) == 0;
    if (exists && !S_ISREG(status.st_mode)) {
        return QStringLiteral("It is %1, not a regular file, so it was left as it is.").arg(fileKind(status.st_mode));
    }
    QString kept = QStringLiteral("It exists, so it was left as it is.");
    if (exists && existing == Existing::Keep) return kept;
    if (exists && !QFileInfo(path).isWritable()) return QStringLiteral("It is read-only, so it was left as it was.");

    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter encoder(&buffer, format);
    if (!encoder.write(image)) return encoder.errorString();

    if (!exists) {
        bool appeared = false;
        QString reason = writeNew(path, encoded, &appeared);
        if (!appeared) return reason;
        if (existing == Existing::Keep) return kept;
    }

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

QString saveImage(const QImage& image, const QString& path, const char* format, Existing existing) {
    const QString reason = save(image, path, format, existing);
    if (reason.isEmpty()) return {};
    return QStringLiteral("Cannot save %1:\n%2").arg(shownPath(path), reason);
}

}  // namespace hexpane
