#include "gui/name_text.h"

#include <QByteArrayView>
#include <QStringDecoder>

#include <algorithm>

namespace hexpane {

namespace {

// Decodes bytes as UTF-8 if they are, else as Windows-1251. A stateful decoder
// holds back a sequence cut off at the end instead of calling it an error, so
// the first bytes of a long name decode as the whole name would.
QString decode(std::string_view bytes, bool cut) {
    const QByteArrayView view(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QStringDecoder utf8(QStringConverter::Utf8,
                        cut ? QStringConverter::Flag::Default : QStringConverter::Flag::Stateless);
    QString text = utf8(view);
    if (!utf8.hasError()) return text;
    QStringDecoder cp1251("windows-1251", QStringConverter::Flag::Stateless);
    return cp1251.isValid() ? QString(cp1251(view)) : QString::fromLatin1(view);
}

// Every character that shows nothing or steers the text is shown by its code,
// in letters any font has.
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

}  // namespace

QString nameText(std::string_view bytes) { return decode(bytes, false); }

QString displayName(std::string_view bytes) {
    // Four bytes at most per character, whichever code page it is in.
    constexpr std::size_t kBytes = 4 * std::size_t(kShownLength) + 4;
    const bool cut = bytes.size() > kBytes;
    const QString text = decode(bytes.substr(0, kBytes), cut);

    QString shown;
    bool more = cut;
    for (qsizetype i = 0; i < text.size();) {
        if (shown.size() >= kShownLength) {
            more = true;
            break;
        }
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            i += 2;
        } else {
            ++i;
        }
        appendVisible(shown, c);
    }
    if (more) shown += QChar(0x2026);
    return shown;
}

}  // namespace hexpane
