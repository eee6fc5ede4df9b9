#include "gui/name_text.h"

#include <QByteArrayView>
#include <QStringDecoder>

namespace hexpane {

namespace {

QByteArrayView view(std::string_view bytes) { return {bytes.data(), static_cast<qsizetype>(bytes.size())}; }

bool isUtf8(std::string_view bytes) { return view(bytes).isValidUtf8(); }

QString decode(std::string_view bytes, bool utf8) {
    if (utf8) return QString::fromUtf8(view(bytes));
    QStringDecoder cp1251("windows-1251", QStringConverter::Flag::Stateless);
    return cp1251.isValid() ? QString(cp1251(view(bytes))) : QString::fromLatin1(view(bytes));
}

bool isContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

void appendVisible(QString& out, char32_t c) {
    switch (QChar::category(c)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Other_NotAssigned:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        out += QStringLiteral("<U+%1>").arg(QString::number(uint(c), 16).toUpper().rightJustified(4, u'0'));
        return;
    default:
        out += QString::fromUcs4(&c, 1);
    }
}

// Calls `each` with every character of text, surrogate pairs joined, until it returns false.
template <typename Each>
void forEachCharacter(QStringView text, Each each) {
    for (qsizetype i = 0; i < text.size();) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            i += 2;
        } else {
            ++i;
        }
        if (!each(c)) return;
    }
}

}  // namespace

QString nameText(std::string_view bytes) { return decode(bytes, isUtf8(bytes)); }

QString nameText(std::string_view bytes, std::size_t limit) {
    const bool utf8 = isUtf8(bytes);
    if (bytes.size() > limit) {
        std::size_t end = limit;
        while (utf8 && end > 0 && isContinuation(bytes[end])) --end;
        bytes = bytes.substr(0, end);
    }
    return decode(bytes, utf8);
}

QString visibleText(QStringView text) {
    QString shown;
    shown.reserve(text.size());
    forEachCharacter(text, [&](char32_t c) {
        appendVisible(shown, c);
        return true;
    });
    return shown;
}

QString displayName(std::string_view bytes) {
    // Four bytes at most per character, whichever code page it is in.
    constexpr std::size_t kBytes = 4 * std::size_t(kShownLength) + 4;
    QString shown;
    bool more = bytes.size() > kBytes;
    forEachCharacter(nameText(bytes, kBytes), [&](char32_t c) {
        if (shown.size() >= kShownLength) {
            more = true;
            return false;
        }
        appendVisible(shown, c);
        return true;
    });
    if (more) shown += QChar(0x2026);
    return shown;
}

}  // namespace hexpane
