#include "drawing/picture_import.h"

#include <QCoreApplication>

#include <cstring>
#include <optional>
#include <unordered_map>

namespace hexpane {

namespace {

constexpr QRgb kRgb = 0x00FFFFFF;
constexpr qsizetype kShownPixels = 5;

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

// The pixels of one kind of fault: the first few, as shown, and how many.
class Faults {
public:
    void add(int x, int y, const QString& detail = {}) {
        if (shown_.size() < kShownPixels) shown_ << QStringLiteral("(%1, %2)%3").arg(x).arg(y).arg(detail);
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
    Importer(std::string& hex, int width, int height, const ImportRules& rules)
        : hex_(hex), width_(width), pixels_(std::size_t(width) * std::size_t(height)), rules_(rules) {}

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
    const std::size_t pixels_;
    const ImportRules& rules_;
    std::optional<bool> lowerCase_;
    std::unordered_map<QRgb, PixelCodes::Code> nearest_;
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
        partlyTransparent_.add(x, y, QStringLiteral(" alpha %1").arg(alpha));
        return std::nullopt;
    }
    if (((shown ^ drawn) & kRgb) == 0) return std::nullopt;
    if (const auto code = codes.exact(shown, lowerCase())) return code;
    if (!rules_.nearest) {
        unknown_.add(x, y, QLatin1Char(' ') + colourName(shown));
        return std::nullopt;
    }
    approximated_ = true;
    const auto [found, added] = nearest_.try_emplace(shown & kRgb);
    if (added) found->second = codes.nearest(shown, lowerCase());
    return found->second;
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
    if (result_.changedPixels.empty()) result_.changedPixels.assign(pixels_, false);
    result_.changedPixels[k] = true;
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
    const QImage drawn = drawPane(newHex, {width, height}, rules.colours, rules.option);
    const QImage shown = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (drawn.isNull() || shown.isNull() || shown.size() != drawn.size()) {
        ImportedPicture result;
        result.problems << QCoreApplication::translate("PictureImport",
                                                       "There is not enough memory to compare a %1x%2 picture.")
                               .arg(width)
                               .arg(height);
        return result;
    }
    Importer importer(newHex, width, height, rules);
    const std::size_t rowBytes = std::size_t(width) * sizeof(QRgb);
    for (int y = 0; y < height; ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(shown.constScanLine(y));
        const auto* now = reinterpret_cast<const QRgb*>(drawn.constScanLine(y));
        if (std::memcmp(in, now, rowBytes) == 0) continue;  // both opaque and alike: the usual case
        for (int x = 0; x < width; ++x) {
            if (in[x] != now[x]) importer.pixel(x, y, in[x], now[x]);
        }
    }
    return importer.finish();
}

}  // namespace hexpane
