#include "text/name_text.h"

#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <utility>

namespace hexpane {

namespace {

// Windows-1251 gives one character per byte; the toolkit's codec, looked up once.
const std::array<char16_t, 256>& windows1251() {
    static const std::array<char16_t, 256> table = [] {
        std::array<char16_t, 256> chars{};
        QStringDecoder cp1251("windows-1251", QStringConverter::Flag::Stateless);
        for (std::size_t byte = 0; byte < chars.size(); ++byte) {
            const char c = static_cast<char>(byte);
            const QString one = cp1251.isValid() ? QString(cp1251(QByteArrayView(&c, 1))) : QString();
            chars[byte] = one.size() == 1 ? one[0].unicode() : char16_t(byte);  // Latin-1 without the codec
        }
        return chars;
    }();
    return table;
}

QString decode(std::string_view bytes, bool utf8) {
    if (utf8) return QString::fromUtf8(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    const std::array<char16_t, 256>& cp1251 = windows1251();
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    std::transform(bytes.begin(), bytes.end(), text.begin(),
                   [&](char byte) { return QChar(cp1251[static_cast<unsigned char>(byte)]); });
    return text;
}

bool isContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// At most limit bytes of the name, cut on a character boundary.
std::string_view cut(std::string_view bytes, std::size_t limit, bool utf8) {
    if (bytes.size() <= limit) return bytes;
    std::size_t end = limit;
    while (utf8 && end > 0 && isContinuation(bytes[end])) --end;
    return bytes.substr(0, end);
}

// The code point that starts at bytes[i], and i moved past it. Meant for valid
// UTF-8; anything else gives U+FFFD and moves on, never past the end.
char32_t nextUtf8(std::string_view bytes, std::size_t& i) {
    const auto byte = [&](std::size_t k) { return char32_t{static_cast<unsigned char>(bytes[k])}; };
    const char32_t lead = byte(i);
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (length == 1 || bytes.size() - i < length) {
        ++i;
        return lead < 0x80 ? lead : 0xFFFD;
    }
    char32_t c = lead & (0x7Fu >> length);
    for (std::size_t k = 1; k < length; ++k) c = c << 6 | (byte(i + k) & 0x3F);
    i += length;
    return c;
}

// Default_Ignorable_Code_Point: drawn as nothing by every conforming renderer.
constexpr std::pair<char32_t, char32_t> kDefaultIgnorable[] = {
    {0x00AD, 0x00AD}, {0x034F, 0x034F}, {0x061C, 0x061C},   {0x115F, 0x1160},   {0x17B4, 0x17B5},   {0x180B, 0x180F},
    {0x200B, 0x200F}, {0x202A, 0x202E}, {0x2060, 0x206F},   {0x3164, 0x3164},   {0xFE00, 0xFE0F},   {0xFEFF, 0xFEFF},
    {0xFFA0, 0xFFA0}, {0xFFF0, 0xFFF8}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A}, {0xE0000, 0xE0FFF},
};
constexpr char32_t kBrailleBlank = 0x2800;  // a letter that shows as a space

bool isInvisible(char32_t c) {
    if (c < 0x7F) return c < 0x20;
    switch (QChar::category(c)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Other_NotAssigned:
    case QChar::Other_PrivateUse:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
    case QChar::Separator_Space:
        return true;
    default:
        break;
    }
    if (c == kBrailleBlank) return true;
    for (const auto& [first, last] : kDefaultIgnorable) {  // in order
        if (c < first) return false;
        if (c <= last) return true;
    }
    return false;
}

// Hands c to each as shown: itself, or the characters of <U+XXXX> (four
// hexadecimal digits at least). False once each has asked to stop.
template <typename Each>
bool showVisibly(char32_t c, Each& each) {
    if (!isInvisible(c)) return each(c);
    char32_t digits[8];
    int count = 0;
    for (char32_t rest = c; rest != 0 || count < 4; rest >>= 4) digits[count++] = U"0123456789ABCDEF"[rest & 15];
    for (const char32_t part : {U'<', U'U', U'+'}) {
        if (!each(part)) return false;
    }
    while (count > 0) {
        if (!each(digits[--count])) return false;
    }
    return each(U'>');
}

// The characters of displayName(bytes) one code point at a time, until each returns false.
template <typename Each>
void forEachShown(std::string_view bytes, bool utf8, Each each) {
    // Four bytes at most per character, whichever code page it is in.
    constexpr std::size_t kBytes = 4 * std::size_t(kShownLength) + 4;
    bool more = bytes.size() > kBytes;
    bytes = cut(bytes, kBytes, utf8);
    const std::array<char16_t, 256>& cp1251 = windows1251();
    qsizetype units = 0;  // of the text shown so far, in UTF-16
    const auto counted = [&](char32_t c) {
        units += c > 0xFFFF ? 2 : 1;
        return each(c);
    };
    for (std::size_t i = 0; i < bytes.size();) {
        const char32_t c = utf8 ? nextUtf8(bytes, i) : char32_t{cp1251[static_cast<unsigned char>(bytes[i++])]};
        if (units >= kShownLength) {
            more = true;
            break;
        }
        if (!showVisibly(c, counted)) return;
    }
    if (more) each(U'\u2026');
}

void appendCodePoint(QString& text, char32_t c) {
    if (QChar::requiresSurrogates(c)) {
        text += QChar(QChar::highSurrogate(c));
        text += QChar(QChar::lowSurrogate(c));
    } else {
        text += QChar(static_cast<char16_t>(c));
    }
}

// Calls `each` with every character of text, surrogate pairs joined.
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
        each(c);
    }
}

}  // namespace

std::size_t utf8SequenceLength(const unsigned char* p, std::size_t left) {
    const unsigned lead = p[0];
    if (lead < 0x80) return 1;
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (length == 0 || lead > 0xF4 || left < length) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((p[k] & 0xC0) != 0x80) return 0;
    }
    // Overlong forms, surrogates and code points past U+10FFFF are not UTF-8.
    const unsigned second = p[1];
    const bool outside = (lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) ||
                         (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second >= 0x90);
    return outside ? 0 : length;
}

bool isUtf8Name(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    for (std::size_t i = 0; i < n;) {
        std::uint64_t word = 0;
        if (n - i >= sizeof word) {  // eight plain ASCII bytes at a time, the common case
            std::memcpy(&word, p + i, sizeof word);
            if ((word & 0x8080808080808080u) == 0) {
                i += sizeof word;
                continue;
            }
        }
        // Two-byte sequences (Cyrillic, Greek, Hebrew, Arabic) without further checks.
        while (n - i >= 2 && p[i] - 0xC2u < 0x1Eu && (p[i + 1] & 0xC0) == 0x80) i += 2;
        if (i == n) break;
        const std::size_t length = utf8SequenceLength(p + i, n - i);
        if (length == 0) return false;
        i += length;
    }
    return true;
}

QString nameText(std::string_view bytes) { return decode(bytes, isUtf8Name(bytes)); }

QString nameText(std::string_view bytes, std::size_t limit) {
    const bool utf8 = isUtf8Name(bytes);
    return decode(cut(bytes, limit, utf8), utf8);
}

QString visibleText(QStringView text) {
    QString shown;
    shown.reserve(text.size());
    const auto append = [&](char32_t c) {
        appendCodePoint(shown, c);
        return true;
    };
    forEachCharacter(text, [&](char32_t c) { showVisibly(c, append); });
    return shown;
}

QString displayName(std::string_view bytes) { return displayName(bytes, isUtf8Name(bytes)); }

QString displayName(std::string_view bytes, bool utf8) {
    QString shown;
    forEachShown(bytes, utf8, [&](char32_t c) {
        appendCodePoint(shown, c);
        return true;
    });
    return shown;
}

std::u32string foldedForSearch(QStringView text) {
    std::u32string folded;
    forEachCharacter(text, [&](char32_t c) { folded += QChar::toCaseFolded(c); });
    return folded;
}

bool displayNameStartsWith(std::string_view bytes, bool utf8, std::u32string_view folded) {
    std::size_t matched = 0;
    forEachShown(bytes, utf8, [&](char32_t c) {
        if (matched == folded.size() || QChar::toCaseFolded(c) != folded[matched]) return false;
        ++matched;
        return true;
    });
    return matched == folded.size();
}

QString leftToRightIsolated(QStringView shown) {
    constexpr char16_t kIsolate = 0x2066, kPopIsolate = 0x2069, kLeftToRightMark = 0x200E;
    QString laidOut;
    laidOut.reserve(shown.size() + 8);
    laidOut += QChar(kIsolate);
    bool inRun = false;
    forEachCharacter(shown, [&](char32_t c) {
        const QChar::Direction direction = QChar::direction(c);
        const bool rightToLeft = direction == QChar::DirR || direction == QChar::DirAL || direction == QChar::DirAN ||
                                 (inRun && direction == QChar::DirNSM);  // marks stay on their letter
        if (inRun && !rightToLeft) laidOut += QChar(kLeftToRightMark);
        appendCodePoint(laidOut, c);
        inRun = rightToLeft;
    });
    if (inRun) laidOut += QChar(kLeftToRightMark);
    laidOut += QChar(kPopIsolate);
    return laidOut;
}

}  // namespace hexpane
