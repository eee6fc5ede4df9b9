#include "drawing/image_file.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImageWriter>

#include <new>

#include "files/path_bytes.h"

namespace hexpane {

// Encoded once the save may go ahead, so that a file refused costs no encoding.
QString saveImage(const QImage& image, const QString& path, const char* format, Existing existing, Written written) {
    return saveFile(
        path, existing,
        [&](FileSink& sink) {
            if (image.isNull())
                return sink.fail(QCoreApplication::translate("ImageFile", "There is no picture to save."));
            QByteArray encoded;
            QBuffer buffer(&encoded);
            buffer.open(QIODevice::WriteOnly);
            QImageWriter encoder(&buffer, format);
            if (!encoder.write(image)) return sink.fail(encoder.errorString());
            return sink.write(encoded.constData(), std::size_t(encoded.size()));
        },
        written);
}

SavedDrawing saveDrawing(const QString& path, const char* format, Existing existing, const QString& what,
                         const std::function<QImage()>& draw, Written written) {
    if (written == Written::InPlace) {
        if (QString refused = checkSave(path, existing, written); !refused.isEmpty())
            return {Saved::Failed, std::move(refused)};
    } else if (existing == Existing::Keep && nameTaken(path)) {
        return {Saved::Kept, {}};
    }
    QString error;
    try {
        const QImage image = draw();
        error = image.isNull()
                    ? QCoreApplication::translate("ImageFile", "Cannot save %1: there is not enough memory to draw %2.")
                          .arg(shownPath(path), what)
                    : saveImage(image, path, format, existing, written);
    } catch (const std::bad_alloc&) {
        error = QCoreApplication::translate("ImageFile",
                                            "Cannot save %1: there is not enough memory to draw and "
                                            "encode %2.")
                    .arg(shownPath(path), what);
    }
    return {error.isEmpty() ? Saved::Written : Saved::Failed, error};
}

}  // namespace hexpane
