#include "drawing/image_file.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImageWriter>

namespace hexpane {

// Encoded once the save may go ahead, so that a file refused costs no encoding.
QString saveImage(const QImage& image, const QString& path, const char* format, Existing existing) {
    return saveFile(path, existing, [&](FileSink& sink) {
        if (image.isNull()) return sink.fail(QCoreApplication::translate("ImageFile", "There is no picture to save."));
        QByteArray encoded;
        QBuffer buffer(&encoded);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter encoder(&buffer, format);
        if (!encoder.write(image)) return sink.fail(encoder.errorString());
        return sink.write(encoded.constData(), std::size_t(encoded.size()));
    });
}

}  // namespace hexpane
