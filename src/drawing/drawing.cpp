#include "drawing/drawing.h"

#include "drawing/on_threads.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <exception>
#include <limits>
#include <mutex>
#include <new>
#include <span>
#include <string>
#include <utility>

#include "picture/size_guess.h"

namespace hexpane {

namespace {

// A band of about this many pixels: its colour values are still in the cache
// when they are converted.
constexpr std::int64_t kBandPixels = std::int64_t{1} << 15;
// From this size on a picture is drawn on every core; a smaller one takes some
// tens of milliseconds at most on one.
constexpr std::int64_t kParallelPixels = std::int64_t{1} << 24;

// Guesses for fewer pixels than this in all are made on the calling thread:
// they take a few milliseconds, about what starting the threads costs.
constexpr std::int64_t kParallelGuessPixels = std::int64_t{1} << 17;

void guessInto(SizeChoice& choice, const PictureText& picture, const Tables& tables) {
    choice.guessed = true;
    const std::vector<SizeGuess> guesses = guessSizes(picture.newHex, picture.oldHex, tables.colours);
    for (std::size_t k = 0; k < guesses.size() && k < kKeptGuesses; ++k) choice.guesses.push_back(guesses[k].size);
    if (!choice.guesses.empty()) choice.size = choice.guesses.front();
}

// Draws the bands of rows of one pane into an image's rows, taking the next
// band not yet taken, on as many threads as call run().
class BandDrawer {
public:
    BandDrawer(QImage& image, std::string_view hex, PictureSize size, const ColourTable& colours,
               TransparentColour option, const QPalette& palette)
        : bits_(image.bits()),
          stride_(image.bytesPerLine()),
          hex_(hex),
          width_(size.width),
          height_(size.height),
          rowsPerBand_(int(std::clamp<std::int64_t>(kBandPixels / size.width, 1, size.height))),
          bands_((size.height + rowsPerBand_ - 1) / rowsPerBand_),
          colours_(colours),
          option_(option),
          palette_(palette) {}

    bool ready() const { return bits_ != nullptr; }  // no memory for a copy of a shared image
    int bands() const { return bands_; }
    bool failed() const { return failed_; }

    void run() noexcept {
        try {
            for (int band = next_++; band < bands_ && !failed_; band = next_++) drawBand(band);
        } catch (const std::exception&) {  // out of memory for a band's colour values
            failed_ = true;
        }
    }

private:
    void drawBand(int band) {
        const int top = band * rowsPerBand_;
        const int rows = std::min(rowsPerBand_, height_ - top);
        const std::size_t width = std::size_t(width_), rowChars = 2 * width;
        // The band's own characters: an odd-length text's last character stays the last of its band.
        const std::size_t from = rowChars * std::size_t(top);
        const std::string_view part = from < hex_.size() ? hex_.substr(from, rowChars * std::size_t(rows)) : "";
        const std::vector<ColourValue> values = renderPane(part, width_, rows, colours_, option_);
        if (values.size() != width * std::size_t(rows)) {
            failed_ = true;
            return;
        }
        for (int row = 0; row < rows; ++row) {
            toRgbRow(std::span(values).subspan(std::size_t(row) * width, width),
                     reinterpret_cast<QRgb*>(bits_ + qsizetype(top + row) * stride_), palette_);
        }
    }

    uchar* bits_;
    qsizetype stride_;
    std::string_view hex_;
    int width_, height_, rowsPerBand_, bands_;
    const ColourTable& colours_;
    TransparentColour option_;
    const QPalette& palette_;
    std::atomic<int> next_{0};
    std::atomic<bool> failed_{false};
};

}  // namespace

std::vector<SizeRecord> sizesOf(const PictureText& picture, const Tables& tables) {
    return tables.index.all(pixelCount(picture));
}

std::optional<PictureSize> pictureSize(const PictureText& picture, const Tables& tables) {
    const SizeRecord* first = tables.index.first(pixelCount(picture));
    return first ? drawingSize(*first) : std::nullopt;
}

SizeChoice pictureSize(const PictureText& picture, const Tables& tables, Guessing guessing) {
    SizeChoice choice{pictureSize(picture, tables), false, {}};
    if (!choice.size && guessing == Guessing::On) guessInto(choice, picture, tables);
    return choice;
}

std::vector<SizeChoice> pictureSizes(const Pictures& pictures, const Tables& tables, Guessing guessing,
                                     std::size_t first, std::size_t count) {
    first = std::min(first, pictures.size());
    count = std::min(count, pictures.size() - first);
    std::vector<SizeChoice> choices;
    choices.reserve(count);
    std::vector<std::size_t> unknown;  // of choices
    std::int64_t pixels = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const PictureText picture = pictures[first + i];
        choices.push_back({pictureSize(picture, tables), false, {}});
        if (choices.back().size || guessing == Guessing::Off) continue;
        unknown.push_back(choices.size() - 1);
        pixels += pixelCount(picture);
    }
    std::atomic<std::size_t> next = 0;
    std::mutex failing;
    std::exception_ptr failure;
    const auto work = [&] {
        for (std::size_t k = next++; k < unknown.size(); k = next++) {
            try {
                guessInto(choices[unknown[k]], pictures[first + unknown[k]], tables);
            } catch (...) {  // no memory to guess from: told once the others stop
                const std::lock_guard lock(failing);
                if (!failure) failure = std::current_exception();
                next = unknown.size();
            }
        }
    };
    const unsigned threads = pixels >= kParallelGuessPixels ? coreCount() : 1;
    runOnThreads(unsigned(std::min<std::size_t>(threads, unknown.size())), work);
    if (failure) std::rethrow_exception(failure);
    return choices;
}

QString sizeText(const std::optional<PictureSize>& size) {
    return size ? QStringLiteral("%1x%2").arg(size->width).arg(size->height) : QStringLiteral("Error");
}

QString sizeText(const SizeChoice& choice) {
    return choice.guessed && choice.size ? u'~' + sizeText(choice.size) : sizeText(choice.size);
}

QImage drawPane(std::string_view hex, PictureSize size, const ColourTable& colours, TransparentColour option,
                const QPalette& palette) {
    try {
        return paneImage(renderPane(hex, size.width, size.height, colours, option), size.width, size.height, palette);
    } catch (const std::bad_alloc&) {
        return {};
    }
}

QImage drawPane(std::string_view hex, PictureSize size, const ColourTable& colours, TransparentColour option) {
    static const QPalette palette = defaultPalette();
    return drawPane(hex, size, colours, option, palette);
}

bool drawPaneInto(QImage& image, std::string_view hex, PictureSize size, const ColourTable& colours,
                  TransparentColour option, const QPalette& palette, int threads) {
    const std::int64_t pixels = std::int64_t{size.width} * size.height;
    if (size.width < 1 || size.height < 1 || pixels > std::numeric_limits<std::int32_t>::max() ||
        image.size() != QSize(size.width, size.height) || image.format() != QImage::Format_RGB32)
        return false;
    BandDrawer drawer(image, hex, size, colours, option, palette);
    if (!drawer.ready()) return false;
    if (threads < 1) threads = pixels >= kParallelPixels ? int(coreCount()) : 1;
    runOnThreads(unsigned(std::min(threads, drawer.bands())), [&drawer] { drawer.run(); });
    return !drawer.failed();
}

}  // namespace hexpane
