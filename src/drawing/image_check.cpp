#include "drawing/image_check.h"

#include <QCoreApplication>

#include <algorithm>
#include <array>
#include <csetjmp>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <optional>
#include <vector>

#include <png.h>

namespace hexpane {

namespace {

// ---- BMP ----

constexpr std::uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6;
constexpr qint64 kFileHeader = 14, kCoreHeader = 12, kInfoHeader = 40;

std::uint32_t little(const QByteArray& bytes, qsizetype at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = value << 8 | std::uint8_t(bytes[at + i]);
    return value;
}

struct BmpHeaders {
    qint64 pixelsAt = 0, headersEnd = 0;
    std::int64_t width = 0, height = 0;
    std::uint32_t bits = 0, compression = kRgb, colours = 0, entrySize = 4;
};

// The headers' fields, or none for headers the toolkit does not read either;
// bytes holds all of the headers.
std::optional<BmpHeaders> bmpHeaders(const QByteArray& bytes) {
    BmpHeaders headers;
    headers.pixelsAt = little(bytes, 10, 4);
    const std::uint32_t size = little(bytes, 14, 4);
    if (size == kCoreHeader) {
        headers.width = little(bytes, 18, 2);
        headers.height = little(bytes, 20, 2);
        headers.bits = little(bytes, 24, 2);
        headers.entrySize = 3;
    } else if (size >= kInfoHeader) {
        headers.width = std::int32_t(little(bytes, 18, 4));
        headers.height = std::abs(std::int64_t(std::int32_t(little(bytes, 22, 4))));
        headers.bits = little(bytes, 28, 2);
        headers.compression = little(bytes, 30, 4);
        headers.colours = little(bytes, 46, 4);
    } else {
        return std::nullopt;
    }
    headers.headersEnd = kFileHeader + size;
    // Masks after a plain header.
    if (size == kInfoHeader && headers.compression == kBitFields) headers.headersEnd += 12;
    if (size == kInfoHeader && headers.compression == kAlphaBitFields) headers.headersEnd += 16;
    if (headers.bits <= 8 && headers.colours == 0) headers.colours = std::uint32_t{1} << headers.bits;
    if (headers.bits > 8) headers.colours = 0;
    return headers;
}

// Reads a file's bytes one at a time, a chunk at a time.
class ByteStream {
public:
    explicit ByteStream(QIODevice& file) : file_(file) {}
    int next() {
        if (at_ == chunk_.size()) {
            chunk_ = file_.read(qint64{1} << 16);
            at_ = 0;
            if (chunk_.isEmpty()) return -1;
        }
        return std::uint8_t(chunk_[at_++]);
    }

private:
    QIODevice& file_;
    QByteArray chunk_;
    qsizetype at_ = 0;
};

// A run-length stream decoded to its end mark: where its pixels lie, not what
// they draw.
class RleStream {
public:
    RleStream(QIODevice& file, const BmpHeaders& headers) : in_(file), headers_(headers) {}

    // Empty, or why the stream does not give every pixel.
    QString problem() {
        for (;;) {
            const int count = in_.next(), code = in_.next();
            if (code < 0) return stopped();
            QString problem;
            if (count > 0) {  // a run of one index
                problem = place(count);
            } else if (code >= 3) {  // that many indices as they stand
                problem = place(code);
                if (problem.isEmpty()) problem = skipIndices(code);
            } else if (code == 0) {  // end of a row
                ++y_;
                x_ = 0;
            } else if (code == 1) {  // end of the picture
                return uncoloured();
            } else {  // a jump, leaving the pixels between without a colour
                problem = jump();
            }
            if (!problem.isEmpty()) return problem;
        }
    }

private:
    static QString stopped() {
        return cutShortText(
            QCoreApplication::translate("ImageInput", "its compressed pixels stop before their end mark"));
    }
    static QString pastRow() {
        return QCoreApplication::translate("ImageInput", "its compressed pixels run past the end of a row.");
    }

    QString place(int pixels) {
        if (y_ >= headers_.height || x_ + pixels > headers_.width) return pastRow();
        x_ += pixels;
        given_ += pixels;
        return {};
    }
    // The indices of an absolute run, padded to a 16-bit word.
    QString skipIndices(int pixels) {
        int bytes = headers_.compression == kRle8 ? pixels : (pixels + 1) / 2;
        bytes += bytes % 2;
        for (int i = 0; i < bytes; ++i) {
            if (in_.next() < 0) return stopped();
        }
        return {};
    }
    QString jump() {
        const int right = in_.next(), up = in_.next();
        if (up < 0) return stopped();
        x_ += right;
        y_ += up;
        return x_ > headers_.width ? pastRow() : QString();
    }
    QString uncoloured() const {
        const std::int64_t pixels = headers_.width * headers_.height;
        if (given_ == pixels) return {};
        return QCoreApplication::translate("ImageInput",
                                           "its compressed pixels leave %1 of its %2 pixels without a colour.")
            .arg(pixels - given_)
            .arg(pixels);
    }

    ByteStream in_;
    const BmpHeaders& headers_;
    std::int64_t x_ = 0, y_ = 0, given_ = 0;
};

QString rleProblem(QIODevice& file, const BmpHeaders& headers) {
    if (!file.seek(headers.pixelsAt))
        return cutShortText(QCoreApplication::translate("ImageInput", "its pixels would start past its end"));
    return RleStream(file, headers).problem();
}

// ---- PNG ----

// What libpng reads from, and the reason it stopped.
struct PngRead {
    QIODevice* file = nullptr;
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::vector<png_byte> row;
    bool ended = false;
    std::array<char, 200> message{};
    int largestIndex = -1, paletteSize = 0;

    ~PngRead() { png_destroy_read_struct(&png, &info, nullptr); }
};

void readPng(png_structp png, png_bytep data, std::size_t size) {
    auto* read = static_cast<PngRead*>(png_get_io_ptr(png));
    while (size > 0) {
        const qint64 got = read->file->read(reinterpret_cast<char*>(data), qint64(size));
        if (got <= 0) {
            read->ended = true;
            png_error(png, "the file ends");
        }
        data += got;
        size -= std::size_t(got);
    }
}

[[noreturn]] void pngFailed(png_structp png, png_const_charp message) {
    auto* read = static_cast<PngRead*>(png_get_error_ptr(png));
    qstrncpy(read->message.data(), message, read->message.size());
    png_longjmp(png, 1);
}

void pngWarned(png_structp, png_const_charp) {}

// Decodes every row, as the toolkit will, but with errors kept for the
// program's message (the toolkit lets libpng print them); for a palette image,
// one byte per index, to find the largest. Only `read` changes here, which
// outlives the jump back on an error.
bool decodeRows(PngRead& read) {
    if (setjmp(png_jmpbuf(read.png)) != 0) return false;
    png_set_read_fn(read.png, &read, readPng);
    png_read_info(read.png, read.info);
    const bool palette = png_get_color_type(read.png, read.info) == PNG_COLOR_TYPE_PALETTE;
    if (palette) {
        png_colorp colours = nullptr;
        png_get_PLTE(read.png, read.info, &colours, &read.paletteSize);
        png_set_packing(read.png);
    }
    const int passes = png_set_interlace_handling(read.png);
    png_read_update_info(read.png, read.info);
    read.row.assign(png_get_rowbytes(read.png, read.info), 0);
    const png_uint_32 height = png_get_image_height(read.png, read.info);
    for (int pass = 0; pass < passes; ++pass) {
        for (png_uint_32 y = 0; y < height; ++y) {
            std::fill(read.row.begin(), read.row.end(), png_byte{0});  // what a pass leaves out reads as 0
            png_read_row(read.png, read.row.data(), nullptr);
            if (palette)
                read.largestIndex =
                    std::max(read.largestIndex, int(*std::max_element(read.row.begin(), read.row.end())));
        }
    }
    png_read_end(read.png, nullptr);
    return true;
}

}  // namespace

QString cutShortText(const QString& detail) {
    return QCoreApplication::translate("ImageInput", "it is cut short: %1.").arg(detail);
}

QString bmpProblem(QIODevice& file) {
    const qint64 size = file.size();
    if (!file.seek(0)) return cutShortText(QCoreApplication::translate("ImageInput", "it has no headers"));
    const QByteArray start = file.read(kFileHeader + kInfoHeader);
    if (start.size() < kFileHeader + 4 || kFileHeader + qint64(little(start, 14, 4)) > size)
        return cutShortText(QCoreApplication::translate("ImageInput", "its headers are incomplete"));
    const std::optional<BmpHeaders> found = bmpHeaders(start);
    if (!found) return {};
    const BmpHeaders& headers = *found;
    if (headers.headersEnd > size)
        return cutShortText(QCoreApplication::translate("ImageInput", "its headers are incomplete"));
    if (headers.headersEnd + qint64(headers.colours) * headers.entrySize > size)
        return cutShortText(QCoreApplication::translate("ImageInput", "its colour table is incomplete"));
    if (headers.compression == kRle8 || headers.compression == kRle4) return rleProblem(file, headers);
    if (headers.compression != kRgb && headers.compression != kBitFields && headers.compression != kAlphaBitFields)
        return {};
    // Each row padded to four bytes, the last too: the toolkit reads rows whole.
    const std::int64_t needed = (headers.width * headers.bits + 31) / 32 * 4 * headers.height;
    if (headers.pixelsAt + needed > size) {
        return cutShortText(QCoreApplication::translate(
                                "ImageInput", "its %1x%2 pixels need %3 bytes from byte %4, but it ends at byte %5")
                                .arg(headers.width)
                                .arg(headers.height)
                                .arg(needed)
                                .arg(headers.pixelsAt)
                                .arg(size));
    }
    return {};
}

QString pngProblem(QIODevice& file) {
    if (!file.seek(0)) return cutShortText(QCoreApplication::translate("ImageInput", "it has no header"));
    PngRead read;
    read.file = &file;
    read.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &read, pngFailed, pngWarned);
    if (read.png != nullptr) read.info = png_create_info_struct(read.png);
    if (read.info == nullptr) throw std::bad_alloc();
    if (!decodeRows(read)) {
        if (read.ended)
            return cutShortText(QCoreApplication::translate("ImageInput", "its pixel data stops before its end"));
        return QCoreApplication::translate("ImageInput", "it is no readable PNG image: %1.")
            .arg(QString::fromLatin1(read.message.data()));
    }
    if (read.largestIndex >= read.paletteSize && read.largestIndex >= 0) {
        return QCoreApplication::translate("ImageInput",
                                           "a pixel has the colour index %1, but its palette has only %2 colours.")
            .arg(read.largestIndex)
            .arg(read.paletteSize);
    }
    return {};
}

QString indexProblem(const QImage& image) {
    const QImage::Format format = image.format();
    if (format != QImage::Format_Indexed8 && format != QImage::Format_Mono && format != QImage::Format_MonoLSB)
        return {};
    const int colours = image.colorCount();
    for (int y = 0; y < image.height(); ++y) {
        const uchar* row = image.constScanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            const int index = format == QImage::Format_Indexed8 ? row[x] : image.pixelIndex(x, y);
            if (index >= colours) {
                return QCoreApplication::translate(
                           "ImageInput",
                           "pixel (%1, %2) has the colour index %3, but its colour table has only %4 "
                           "colours.")
                    .arg(x)
                    .arg(y)
                    .arg(index)
                    .arg(colours);
            }
        }
    }
    return {};
}

}  // namespace hexpane
