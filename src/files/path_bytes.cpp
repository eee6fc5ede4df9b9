#include "files/path_bytes.h"

#include "text/name_text.h"

namespace hexpane {

namespace {

constexpr char16_t kKeptByte = 0xDC00;  // + the byte, for bytes 0x80 to 0xFF

bool isKeptByte(char16_t c) { return c >= kKeptByte + 0x80 && c <= kKeptByte + 0xFF; }

// The length of the valid UTF-8 sequence at the start of bytes, or 0.
qsizetype sequenceLength(QByteArrayView bytes) {
    return qsizetype(
        utf8SequenceLength(reinterpret_cast<const unsigned char*>(bytes.data()), std::size_t(bytes.size())));
}

}  // namespace

QString pathFromBytes(QByteArrayView bytes) {
    QString path;
    path.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size();) {
        const qsizetype length = sequenceLength(bytes.sliced(i));
        if (length == 0) {
            path += QChar(char16_t(kKeptByte + static_cast<unsigned char>(bytes[i])));
            ++i;
        } else {
            path += QString::fromUtf8(bytes.sliced(i, length));
            i += length;
        }
    }
    return path;
}

QByteArray pathBytes(const QString& path) {
    QByteArray bytes;
    bytes.reserve(path.size());
    qsizetype from = 0;  // the start of the text not yet encoded
    for (qsizetype i = 0; i < path.size(); ++i) {
        if (!isKeptByte(path[i].unicode())) continue;
        bytes += QStringView(path).sliced(from, i - from).toUtf8();
        bytes += char(path[i].unicode() - kKeptByte);
        from = i + 1;
    }
    bytes += QStringView(path).sliced(from).toUtf8();
    return bytes;
}

QString shownPath(const QString& path) {
    QString shown;
    qsizetype from = 0;
    for (qsizetype i = 0; i < path.size(); ++i) {
        if (!isKeptByte(path[i].unicode())) continue;
        shown += visibleText(QStringView(path).sliced(from, i - from));
        shown += QStringLiteral("\\x") + QString::number(path[i].unicode() - kKeptByte, 16).toUpper();
        from = i + 1;
    }
    return shown + visibleText(QStringView(path).sliced(from));
}

}  // namespace hexpane
