#include "drawing/image_reading.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImageReader>

#include <istream>

#include "files/regular_file.h"

namespace hexpane {

namespace {

QByteArray readAll(std::istream& in) {
    QByteArray bytes;
    constexpr qsizetype kChunk = qsizetype{1} << 16;
    for (qsizetype got = kChunk; got == kChunk;) {
        const qsizetype held = bytes.size();
        bytes.resize(held + kChunk);
        in.read(bytes.data() + held, kChunk);
        got = qsizetype(in.gcount());
        bytes.resize(held + got);
    }
    return bytes;
}

QString said(const char* text) { return QCoreApplication::translate("ImageReading", text); }

}  // namespace

ImageRead readImage(const QString& path, PictureSize size, const QString& picture) {
    QString error;
    QByteArray bytes = readFile(path, readAll, &error);
    if (!error.isEmpty()) return {{}, false, said(QT_TRANSLATE_NOOP("ImageReading", "cannot read it:\n%1")).arg(error)};
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    // By its content, whatever its name says; only the two formats the exporter writes.
    if (const QByteArray format = reader.format(); format != "bmp" && format != "png")
        return {{}, false, said(QT_TRANSLATE_NOOP("ImageReading", "cannot read it: it is no .bmp or .png image."))};
    // The size is known before the pixels are decoded, which a file claiming a huge size would exhaust memory with.
    const auto wrongSize = [&](QSize found) {
        return ImageRead{{},
                         true,
                         said(QT_TRANSLATE_NOOP("ImageReading", "it is %1x%2, but picture %3 is %4x%5."))
                             .arg(found.width())
                             .arg(found.height())
                             .arg(picture)
                             .arg(size.width)
                             .arg(size.height)};
    };
    const QSize wanted(size.width, size.height);
    if (reader.size().isValid() && reader.size() != wanted) return wrongSize(reader.size());
    QImage image = reader.read();
    if (image.isNull())
        return {{},
                false,
                said(QT_TRANSLATE_NOOP("ImageReading", "cannot read it as a .bmp or .png image: %1"))
                    .arg(reader.errorString())};
    if (image.size() != wanted) return wrongSize(image.size());
    return {image, false, {}};
}

}  // namespace hexpane
