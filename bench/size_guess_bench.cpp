// The size guesser on real pictures: how often the true size comes first, and
// among the first three, by kind of picture and overall (goal: 99 % and 99.5 %),
// and how long one guess takes for a 240 x 320 picture (goal: 5 ms) and for one
// of 100,000 pixels, whose count has 36 divisors.
//
// Each picture of the set (bench/guess_pictures.h) is turned into a hex text
// through data/map.txt by nearest colour, as a patch would carry it: a pixel
// under half opaque is C0, any other is put on the phone's background and gets
// the nearest code but C0. The true size is then looked for among the guesses.
//
// A picture that repeats itself is not counted, since other widths explain it
// as well as its own: one whose text equals itself shifted by p pixels for some
// p of at most half its pixels (its rows repeat, or the whole text does), or
// whose every row is two or more copies of its first k pixels for some k that
// divides the width (it repeats tile by tile across).
//
//   size_guess_bench [--seed N] [--misses [DIR]]
//     --seed N   another set of the same kinds (the files and pieces drawn anew)
//     --misses   every miss with its first guesses, its picture drawn into DIR as PNG
#include <QApplication>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "guess_pictures.h"
#include "picture/render.h"
#include "picture/size_guess.h"
#include "tables/colour_table.h"

namespace {

using hexpane::ColourTable;

constexpr std::uint8_t kOpaqueEnough = 128;
constexpr QRgb kPhoneGround = qRgb(235, 235, 208);

// The nearest code but C0 of each colour, by its top six bits of each component.
class NearestCode {
public:
    explicit NearestCode(const ColourTable& colours) : codes_(std::size_t{1} << 18) {
        std::vector<std::pair<std::array<int, 3>, std::array<char, 2>>> table;
        constexpr char kDigits[] = "0123456789ABCDEF";
        for (int byte = 0; byte < 256; ++byte) {
            const std::array<char, 2> code = {kDigits[byte >> 4], kDigits[byte & 15]};
            const auto colour = colours.lookup(std::string_view(code.data(), 2));
            if (!colour || std::string_view(code.data(), 2) == "C0") continue;
            table.push_back({{int(*colour & 0xFF), int(*colour >> 8 & 0xFF), int(*colour >> 16 & 0xFF)}, code});
        }
        for (std::size_t key = 0; key < codes_.size(); ++key) {
            const int r = int(key >> 12) * 4 + 2, g = int(key >> 6 & 63) * 4 + 2, b = int(key & 63) * 4 + 2;
            long best = -1;
            for (const auto& [colour, code] : table) {
                const long d = long(colour[0] - r) * (colour[0] - r) + long(colour[1] - g) * (colour[1] - g) +
                               long(colour[2] - b) * (colour[2] - b);
                if (best < 0 || d < best) best = d, codes_[key] = code;
            }
        }
    }

    std::string hex(const QImage& image) const {
        std::string text;
        text.reserve(static_cast<std::size_t>(image.width()) * image.height() * 2);
        for (int y = 0; y < image.height(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                const int alpha = qAlpha(line[x]);
                if (alpha < kOpaqueEnough) {
                    text += "C0";
                    continue;
                }
                const auto mix = [&](int c, int ground) { return (c * alpha + ground * (255 - alpha)) / 255; };
                const int r = mix(qRed(line[x]), qRed(kPhoneGround)), g = mix(qGreen(line[x]), qGreen(kPhoneGround));
                const int b = mix(qBlue(line[x]), qBlue(kPhoneGround));
                const auto& code = codes_[std::size_t(r >> 2) << 12 | std::size_t(g >> 2) << 6 | std::size_t(b >> 2)];
                text.append(code.data(), 2);
            }
        }
        return text;
    }

private:
    std::vector<std::array<char, 2>> codes_;
};

// The smallest p with text[i] == text[i + p] for every pixel i, by the prefix function.
std::size_t smallestPeriod(const std::vector<std::uint16_t>& pixels) {
    std::vector<std::size_t> border(pixels.size(), 0);
    for (std::size_t i = 1; i < pixels.size(); ++i) {
        std::size_t k = border[i - 1];
        while (k > 0 && pixels[i] != pixels[k]) k = border[k - 1];
        if (pixels[i] == pixels[k]) ++k;
        border[i] = k;
    }
    return pixels.size() - border.back();
}

bool rowsRepeatAcross(const std::vector<std::uint16_t>& pixels, int width) {
    for (int k = 1; k <= width / 2; ++k) {
        if (width % k != 0) continue;
        bool same = true;
        for (std::size_t i = 0; same && i < pixels.size(); ++i)
            same = static_cast<int>(i % width) < k || pixels[i] == pixels[i - k];
        if (same) return true;
    }
    return false;
}

bool repeatsItself(const std::string& hex, int width) {
    std::vector<std::uint16_t> pixels(hex.size() / 2);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<std::uint16_t>(static_cast<unsigned char>(hex[2 * i]) << 8 |
                                               static_cast<unsigned char>(hex[2 * i + 1]));
    return smallestPeriod(pixels) <= pixels.size() / 2 || rowsRepeatAcross(pixels, width);
}

struct Tally {
    int pictures = 0, excluded = 0, first = 0, firstThree = 0, square = 0;
};

// The picture as the window draws it, C0 in the phone's background.
QImage drawn(const std::string& hex, int width, int height, const ColourTable& colours) {
    const auto pixels = hexpane::renderPane(hex, width, height, colours, hexpane::TransparentColour::Phone);
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const hexpane::ColourValue colour = pixels[static_cast<std::size_t>(y) * width + x];
            image.setPixel(x, y, qRgb(colour & 0xFF, colour >> 8 & 0xFF, colour >> 16 & 0xFF));
        }
    return image;
}

double percent(int part, int whole) { return whole == 0 ? 0 : 100.0 * part / whole; }

void printTally(const char* name, const Tally& tally) {
    const int counted = tally.pictures - tally.excluded;
    std::printf("%-8s %5d %9d %7d %8.2f %% %8.2f %%\n", name, tally.pictures, tally.excluded, counted,
                percent(tally.first, counted), percent(tally.firstThree, counted));
}

// The median time of one guess, in milliseconds.
double guessTime(const std::string& hex, const ColourTable& colours) {
    std::vector<double> times;
    for (int run = 0; run < 31; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const auto guesses = hexpane::guessSizes(hex, {}, colours);
        const auto stop = std::chrono::steady_clock::now();
        if (guesses.empty()) return -1;
        times.push_back(std::chrono::duration<double, std::milli>(stop - start).count());
    }
    std::nth_element(times.begin(), times.begin() + 15, times.end());
    return times[15];
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    std::uint32_t seed = bench::kEvaluationSeed;
    bool showMisses = false;
    QString missFolder;
    for (int k = 1; k < argc; ++k) {
        if (std::strcmp(argv[k], "--seed") == 0 && k + 1 < argc) {
            seed = static_cast<std::uint32_t>(std::strtoul(argv[++k], nullptr, 10));
        } else if (std::strcmp(argv[k], "--misses") == 0) {
            showMisses = true;
            if (k + 1 < argc && argv[k + 1][0] != '-') missFolder = QString::fromLocal8Bit(argv[++k]);
        } else {
            std::fprintf(stderr, "usage: size_guess_bench [--seed N] [--misses [DIR]]\n");
            return 2;
        }
    }
    int misses = 0;

    std::ifstream mapFile(HEXPANE_SOURCE_DIR "/data/map.txt");
    const ColourTable colours = hexpane::readColourTable(mapFile);
    const NearestCode nearest(colours);

    std::map<std::string, Tally> tallies;
    Tally all;
    bench::makeEvaluationSet(seed, [&](const bench::EvalPicture& picture) {
        const int width = picture.image.width(), height = picture.image.height();
        const std::string hex = nearest.hex(picture.image);
        Tally& tally = tallies[picture.kind];
        ++tally.pictures, ++all.pictures;
        if (width == height) ++tally.square, ++all.square;
        if (repeatsItself(hex, width)) {
            ++tally.excluded, ++all.excluded;
            return;
        }
        const auto guesses = hexpane::guessSizes(hex, {}, colours);
        std::size_t rank = guesses.size();
        for (std::size_t k = 0; k < guesses.size(); ++k)
            if (guesses[k].size.width == width && guesses[k].size.height == height) rank = k;
        if (rank == 0) ++tally.first, ++all.first;
        if (rank < 3) ++tally.firstThree, ++all.firstThree;
        if (rank != 0 && showMisses) {
            std::printf("miss %s %dx%d rank %zu %s:", picture.kind.c_str(), width, height, rank,
                        picture.source.c_str());
            for (std::size_t k = 0; k < std::min<std::size_t>(4, guesses.size()); ++k)
                std::printf(" %dx%d %.6f", guesses[k].size.width, guesses[k].size.height, guesses[k].score);
            std::printf("\n");
            if (!missFolder.isEmpty())
                drawn(hex, width, height, colours)
                    .save(QString("%1/miss%2-%3.png").arg(missFolder).arg(misses).arg(picture.kind.c_str()));
            ++misses;
        }
    });

    std::printf("size guessing, set of seed %u: the true size first (top-1) and among the first three (top-3)\n", seed);
    std::printf("%-8s %5s %9s %7s %10s %10s\n", "kind", "all", "excluded", "counted", "top-1", "top-3");
    for (const auto& [kind, tally] : tallies) printTally(kind.c_str(), tally);
    printTally("overall", all);
    std::printf("non-square pictures: %.1f %%; excluded as repeating themselves: %d\n",
                percent(all.pictures - all.square, all.pictures), all.excluded);

    // Pieces of a photograph: 240 x 320, and 400 x 250 = 100,000 = 2^5 * 5^5 pixels.
    const QImage screen = bench::photographPiece({240, 320}), large = bench::photographPiece({400, 250});
    if (screen.isNull() || large.isNull()) {
        std::printf("no photograph for the guess times\n");
        return 1;
    }
    std::printf("guess time, 240 x 320: %.3f ms (goal: 5 ms)\n", guessTime(nearest.hex(screen), colours));
    std::printf("guess time, 400 x 250 (100,000 pixels): %.3f ms\n", guessTime(nearest.hex(large), colours));
    return 0;
}
