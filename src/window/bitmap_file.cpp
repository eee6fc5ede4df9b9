#include "window/bitmap_file.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>

namespace hexpane {

QString saveBitmap(const QImage& image, const QString& path) {
    const QFileInfo target(path);
    if (target.exists() && !target.isWritable()) {
        return QStringLiteral("%1 is read-only, so it was left as it was.").arg(QDir::toNativeSeparators(path));
    }

    QByteArray bitmap;
    QBuffer buffer(&bitmap);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter encoder(&buffer, "bmp");
    if (!encoder.write(image)) return encoder.errorString();

    // Unbuffered: a buffered file device can lose a short write (a full disk, a
    // file-size limit) in its final flush and commit a cut-off file anyway.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return file.errorString();
    for (qint64 written = 0; written < bitmap.size();) {
        const qint64 n = file.write(bitmap.constData() + written, bitmap.size() - written);
        if (n <= 0) {
            const QString reason = file.errorString();
            file.cancelWriting();
            return reason;
        }
        written += n;
    }
    if (!file.commit()) return file.errorString();
    return {};
}

}  // namespace hexpane
