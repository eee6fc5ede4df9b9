#include "drawing/image_file.h"

#include <QBuffer>
#include <QImageWriter>

namespace hexpane {

// Encoded once the save may go ahead, so that a file refused costs no encoding.
QString saveImage(const QImage& image, const QString& path, const char* format, Existing existing, Written written) {
    return saveFile(
        path, existing,
        [&](FileSink& sink) {
            if (image.isNull()) return sink.fail(QStringLiteral("There is no picture to save."));
            QByteArray encoded;
            QBuffer buffer(&encoded);
            buffer.open(QIODevice::WriteOnly);
            QImageWriter encoder(&buffer, format);
            if (!encoder.write(image)) return sink.fail(encoder.errorString());
            return sink.write(encoded.constData(), std::size_t(encoded.size()));
        },
        written);
}

}  // namespace hexpane
