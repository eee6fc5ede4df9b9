#include "text/picture_file_names.h"

#include <QList>

#include "text/name_text.h"

namespace hexpane {

namespace {

bool keeps(char32_t c) {
    if (c < 0x80) return QChar::isLetterOrNumber(c) || c == u'-' || c == u'_' || c == u'.' || c == u'+';
    switch (QChar::category(c)) {
    case QChar::Letter_Uppercase:
    case QChar::Letter_Lowercase:
    case QChar::Letter_Titlecase:
    case QChar::Letter_Modifier:
    case QChar::Letter_Other:
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Number_DecimalDigit:
        return true;
    default:
        return false;
    }
}

}  // namespace

QString safeName(std::string_view bytes) {
    QString safe;
    qsizetype utf8Bytes = 0;
    // Enough of the name for kSafeNameBytes of output, so the cost is bounded
    // whatever the patch holds.
    constexpr std::size_t kBytes = 4 * std::size_t(kSafeNameBytes) + 4;
    for (char32_t c : nameText(bytes, kBytes).toUcs4()) {
        if (!keeps(c) || (safe.isEmpty() && (c == u'.' || c == u'-'))) c = u'_';
        const qsizetype size = c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
        if (utf8Bytes + size > kSafeNameBytes) break;
        utf8Bytes += size;
        safe += QString::fromUcs4(&c, 1);
    }
    return safe.isEmpty() ? QStringLiteral("unnamed") : safe;
}

QString indexText(std::size_t index) { return QStringLiteral("%1").arg(index, 3, 10, QLatin1Char('0')); }

QString pictureFileName(std::size_t index, std::string_view name, const char* pane, const char* format) {
    return QStringLiteral("%1-%2-%3.%4")
        .arg(indexText(index), safeName(name), QLatin1String(pane), QLatin1String(format));
}

}  // namespace hexpane
