#include "drawing/image_input.h"

#include <QCoreApplication>
#include <QFile>
#include <QImageReader>
#include <QStringList>

#include <unistd.h>

#include "drawing/image_check.h"
#include "files/path_bytes.h"
#include "files/regular_file.h"

namespace hexpane {

namespace {

// While it lives, what the toolkit and the image libraries say (libpng's
// errors, the image readers' warnings) is kept for the program's own message
// instead of reaching standard error on its own. The importer reads one image
// at a time, on one thread.
class LibraryMessages {
public:
    LibraryMessages() : previous_(qInstallMessageHandler(keep)) { kept_ = &said_; }
    ~LibraryMessages() {
        qInstallMessageHandler(previous_);
        kept_ = nullptr;
    }
    LibraryMessages(const LibraryMessages&) = delete;
    LibraryMessages& operator=(const LibraryMessages&) = delete;

    // " (what was said; ...)", or nothing.
    QString said() const {
        return said_.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(said_.join(QStringLiteral("; ")));
    }

private:
    static void keep(QtMsgType, const QMessageLogContext& context, const QString& message) {
        if (kept_ == nullptr) return;
        const QString category = QLatin1String(context.category);
        *kept_ << (category.isEmpty() || category == QLatin1String("default") ? message : category + ": " + message);
    }

    static inline QStringList* kept_ = nullptr;
    QStringList said_;
    QtMessageHandler previous_;
};

}  // namespace

bool ImageShape::fits(QSize size) const {
    if (drawn) return size == QSize(drawn->width, drawn->height);
    return size.width() > 0 && std::int64_t{size.width()} * size.height() == pixels;
}

QString ImageShape::wanted(const QString& picture, const QString& sizeTable) const {
    if (drawn)
        return QCoreApplication::translate("ImageInput", "picture %1 is %2x%3")
            .arg(picture)
            .arg(drawn->width)
            .arg(drawn->height);
    return QCoreApplication::translate(
               "ImageInput", "picture %1 has no size in %2, so its width times height must be its pixel count, %3")
        .arg(picture, shownPath(sizeTable))
        .arg(pixels);
}

ImageRead readImage(const QString& path, const ImageShape& shape, const QString& picture, const QString& sizeTable) {
    const auto refuse = [&](bool unreadable, const QString& why) {
        return ImageRead{{}, QStringLiteral("%1: %2").arg(shownPath(path), why), unreadable};
    };
    QString error;
    long long fileSize = 0;
    const int fd = openRegularFile(path, &error, &fileSize);
    if (fd < 0) return refuse(true, QCoreApplication::translate("ImageInput", "cannot read it:\n%1").arg(error));
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return refuse(true, QCoreApplication::translate("ImageInput", "cannot read it:\n%1").arg(file.errorString()));
    }
    const LibraryMessages messages;
    // An image is decoded only once its header gives a size that fits its
    // picture, which the patch's text bounds: no limit of the toolkit's is
    // needed beyond that, for the importer and the window alike.
    QImageReader::setAllocationLimit(0);
    QImageReader header(&file);
    // By its content, whatever its name says; only the two formats the exporter writes.
    const QByteArray format = header.format();
    if (format != "bmp" && format != "png")
        return refuse(true, QCoreApplication::translate("ImageInput", "cannot read it: it is no .bmp or .png image."));
    // The size is known before the pixels are decoded, which a file claiming a huge size would exhaust memory with.
    const auto wrongSize = [&](QSize found) {
        return refuse(false, QCoreApplication::translate("ImageInput", "it is %1x%2, but %3.")
                                 .arg(found.width())
                                 .arg(found.height())
                                 .arg(shape.wanted(picture, sizeTable)));
    };
    if (header.size().isValid() && !shape.fits(header.size())) return wrongSize(header.size());
    if (const QString problem = format == "bmp" ? bmpProblem(file) : pngProblem(file); !problem.isEmpty())
        return refuse(true, problem);
    if (!file.seek(0))
        return refuse(true, QCoreApplication::translate("ImageInput", "cannot read it:\n%1").arg(file.errorString()));
    QImageReader decoder(&file, format);
    QImage image = decoder.read();
    if (image.isNull()) {
        // A decoder that failed at the file's end ran out of data.
        if (file.atEnd())
            return refuse(true,
                          cutShortText(QCoreApplication::translate("ImageInput", "its pixels stop before their end")));
        return refuse(true, QCoreApplication::translate("ImageInput", "cannot read it as a .%1 image: %2%3")
                                .arg(QLatin1String(format), decoder.errorString(), messages.said()));
    }
    if (!shape.fits(image.size())) return wrongSize(image.size());
    if (const QString problem = indexProblem(image); !problem.isEmpty()) return refuse(true, problem);
    return {std::move(image), {}, false};
}

}  // namespace hexpane
