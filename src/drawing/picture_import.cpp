#include "drawing/picture_import.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstring>
#include <optional>

namespace hexpane {

namespace {

constexpr QRgb kRgb = 0x00FFFFFF;
constexpr qsizetype kShownPixels = 5;
// The picture is drawn and compared in bands of about this many pixels.
constexpr int kBandPixels = 1 << 15;

QString colourName(QRgb colour) { return QStringLiteral("#%1").arg(colour & kRgb, 6, 16, QLatin1Char('0')).toUpper(); }

// Lower case only where the text has lower-case letters and no upper-case ones.
bool inLowerCase(const std::string& text) {
    bool lower = false;
    for (const char c : text) {
        if (c >= 'A' && c <= 'Z') return false;
        lower = lower || (c >= 'a' && c <= 'z');
    }
    return lower;
}

// The pixels of one kind of fault: the first few, as shown, and how many. Only
// those shown are worded, so an image full of faults costs no more to refuse.
class Faults {
public:
    void add(int x, int y) {
        add(x, y, [] { return QString(); });
    }
    template <typename Detail>
    void add(int x, int y, const Detail& detail) {
        if (shown_.size() < kShownPixels) shown_ << QStringLiteral("(%1, %2)%3").arg(x).arg(y).arg(detail());
        ++count_;
    }
    // "N pixel(s) WHAT: (x, y) ..., (x, y) ...[, ...].ADVICE", when there is any,
    // from wordings with places for the count and the pixels, one for a pixel
    // and one for several, in the language of the translation installed.
    void tell(QStringList& problems, const char* one, const char* several, const QString& advice = {}) const {
        if (count_ == 0) return;
        const QString more = count_ > std::size_t(shown_.size()) ? QStringLiteral(", ...") : QString();
        problems << QCoreApplication::translate("PictureImport", count_ == 1 ? one : several)
                            .arg(QString::number(count_), shown_.join(QStringLiteral(", ")) + more) +
                        advice;
    }
    std::size_t count() const { return count_; }

private:
    QStringList shown_;
    std::size_t count_ = 0;
};

class Importer {
public:
    Importer(std::string& hex, int width, const ImportRules& rules) : hex_(hex), width_(width), rules_(rules) {}

    // A pixel whose colour the text's code there does not draw.
    void pixel(int x, int y, QRgb shown, QRgb drawn);
    ImportedPicture finish();

private:
    std::optional<PixelCodes::Code> codeFor(int x, int y, QRgb shown, QRgb drawn);
    // Decided once, on the text as read: it is asked before the first change.
    bool lowerCase() {
        if (!lowerCase_) lowerCase_ = inLowerCase(hex_);
        return *lowerCase_;
    }

    std::string& hex_;
    const int width_;
    const ImportRules& rules_;
    std::optional<bool> lowerCase_;
    ImportedPicture result_;
    Faults unknown_, partlyTransparent_, missing_;
    bool approximated_ = false;
};

// The code to write, or none where the pixel stays or cannot be imported.
std::optional<PixelCodes::Code> Importer::codeFor(int x, int y, QRgb shown, QRgb drawn) {
    const PixelCodes& codes = rules_.codes;
    approximated_ = false;
    const int alpha = qAlpha(shown);
    if (alpha == 0) {  // stands for C0
        if (((codes.transparentColour() ^ drawn) & kRgb) == 0) return std::nullopt;
        return codes.transparent(lowerCase());
    }
    if (alpha < 255) {
        partlyTransparent_.add(x, y, [alpha] { return QStringLiteral(" alpha %1").arg(alpha); });
        return std::nullopt;
    }
    if (((shown ^ drawn) & kRgb) == 0) return std::nullopt;
    if (const auto code = codes.exact(shown, lowerCase())) return code;
    if (!rules_.nearest) {
        unknown_.add(x, y, [shown] { return QLatin1Char(' ') + colourName(shown); });
        return std::nullopt;
    }
    approximated_ = true;
    return codes.nearest(shown, lowerCase());
}

void Importer::pixel(int x, int y, QRgb shown, QRgb drawn) {
    const std::optional<PixelCodes::Code> code = codeFor(x, y, shown, drawn);
    if (!code) return;
    const std::size_t k = std::size_t(y) * std::size_t(width_) + std::size_t(x);
    if (2 * k + 1 >= hex_.size()) {  // the text ends before this pixel's second character
        missing_.add(x, y);
        return;
    }
    hex_[2 * k] = (*code)[0];
    hex_[2 * k + 1] = (*code)[1];
    ++result_.changed;
    if (approximated_) ++result_.approximated;
}

ImportedPicture Importer::finish() {
    QStringList& problems = result_.problems;
    const auto said = [](const char* text) {
        return QLatin1Char(' ') + QCoreApplication::translate("PictureImport", text);
    };
    partlyTransparent_.tell(
        problems, QT_TRANSLATE_NOOP("PictureImport", "%1 pixel is partly transparent: %2."),
        QT_TRANSLATE_NOOP("PictureImport", "%1 pixels are partly transparent: %2."),
        said(
            QT_TRANSLATE_NOOP("PictureImport", "Only fully transparent pixels (C0) and opaque ones can be imported.")));
    unknown_.tell(problems, QT_TRANSLATE_NOOP("PictureImport", "%1 pixel has a colour that no code draws: %2."),
                  QT_TRANSLATE_NOOP("PictureImport", "%1 pixels have a colour that no code draws: %2."),
                  rules_.nearestAdvice);
    result_.unknown = unknown_.count();
    const QString text =
        said(QT_TRANSLATE_NOOP("PictureImport", "The picture's new text has %1 characters.")).arg(hex_.size());
    missing_.tell(
        problems, QT_TRANSLATE_NOOP("PictureImport", "%1 changed pixel has no two characters in the patch: %2."),
        QT_TRANSLATE_NOOP("PictureImport", "%1 changed pixels have no two characters in the patch: %2."), text);
    return std::move(result_);
}

}  // namespace

ImportedPicture importImage(const QImage& image, std::string& newHex, const ImportRules& rules) {
    const int width = image.width(), height = image.height();
    const QImage::Format format = image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32;
    const int bandRows = std::clamp(kBandPixels / std::max(width, 1), 1, std::max(height, 1));
    const std::size_t rowChars = 2 * std::size_t(width), rowBytes = std::size_t(width) * sizeof(QRgb);
    Importer importer(newHex, width, rules);
    for (int top = 0; top < height; top += bandRows) {
        const int rows = std::min(bandRows, height - top);
        // Drawn from the band's own characters before any of them changes: a pixel's colour is its code's alone.
        const std::size_t from = rowChars * std::size_t(top);
        const std::string_view text =
            from < newHex.size() ? std::string_view(newHex).substr(from, rowChars * std::size_t(rows)) : "";
        const QImage drawn = drawPane(text, {width, rows}, rules.colours, rules.option);
        // Converted a band at a time too, where the image is not already in the form compared.
        const QImage band = image.format() == format ? image : image.copy(0, top, width, rows).convertToFormat(format);
        if (drawn.isNull() || band.isNull()) {
            ImportedPicture result;
            result.problems << QCoreApplication::translate("PictureImport",
                                                           "There is not enough memory to compare a %1x%2 picture.")
                                   .arg(width)
                                   .arg(height);
            return result;
        }
        const int bandTop = band.height() == height ? top : 0;
        for (int y = 0; y < rows; ++y) {
            const auto* in = reinterpret_cast<const QRgb*>(band.constScanLine(bandTop + y));
            const auto* now = reinterpret_cast<const QRgb*>(drawn.constScanLine(y));
            if (std::memcmp(in, now, rowBytes) == 0) continue;  // both opaque and alike: the usual case
            for (int x = 0; x < width; ++x) {
                if (in[x] != now[x]) importer.pixel(x, top + y, in[x], now[x]);
            }
        }
    }
    return importer.finish();
}

}  // namespace hexpane
