#include "picture/size_guess.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>

namespace hexpane {

namespace {

constexpr std::int32_t kFewestPixels = 4;
constexpr std::int64_t kMostSides = 16;  // a longer side than 16 short ones is an extreme shape

// A picture of more pixels is judged on a run of this many from its middle:
// enough rows at every width worth guessing, in bounded time and memory.
constexpr std::size_t kJudgedPixels = std::size_t{1} << 20;

// Red, green, blue, and a channel that only the transparent code sets: C0 is
// drawn in whatever colour the user picks, so its table colour says nothing;
// what does hold is that it is one area, apart from every colour around it.
constexpr std::size_t kChannels = 4;
constexpr unsigned kTransparentPair = unsigned{'C'} << 8 | unsigned{'0'};
constexpr std::int16_t kTransparentGrey = 0x80;
constexpr std::int16_t kTransparentMark = 0xFF;

// What a step costs when it is found one pixel aside in the row above rather
// than straight above (a slanted edge), per channel: an eighth of the scale, so
// slanted edges count for the true width without a width one off, which slants
// every edge, gaining by it.
constexpr std::int16_t kAsideCost = 32;
// The distance to the pixel straight above weighs a tenth of the steps: it sees
// the horizontal edges the steps do not, which set a width apart from its
// multiples, but alone it prefers any width that finds like colours above.
constexpr std::int16_t kStepWeight = 10;
// A width that a narrower candidate divides must beat it by this much: read two
// rows at a time, a smooth picture looks nearly as coherent as read one at a time.
constexpr double kMultipleMargin = 0.05;
// A width may also be read with the whole row above one pixel aside, for this
// much of its score: a picture whose edges all lean the same way by a pixel or
// two a row (a shallow diagonal texture) reads best so, the per-step allowance
// above taking the second pixel. That reading is judged on at most
// kLeaningPixels from the middle: rows enough to tell, at a bounded cost.
constexpr double kLeaningCost = 0.05;
constexpr std::size_t kLeaningPixels = std::size_t{1} << 14;

using Channels = std::vector<std::int16_t>;
using Steps = std::vector<std::int16_t>;

std::vector<std::int32_t> candidateWidths(std::int32_t count) {
    std::vector<std::int32_t> all;
    for (std::int32_t width = 1; std::int64_t{width} * width <= count; ++width) {
        if (count % width != 0) continue;
        all.push_back(width);
        if (count / width != width) all.push_back(count / width);
    }
    std::sort(all.begin(), all.end());
    std::vector<std::int32_t> moderate;
    for (const std::int32_t width : all) {
        const std::int64_t height = count / width;
        if (width <= kMostSides * height && height <= kMostSides * width) moderate.push_back(width);
    }
    return moderate.empty() ? all : moderate;
}

// The channels of the pixels [first, first + count) as drawn, one byte each.
Channels channels(std::string_view hex, std::size_t first, std::size_t count,
                  const ColourTable::CodeColours& codeColours) {
    Channels out(count * kChannels);
    const auto* text = reinterpret_cast<const unsigned char*>(hex.data()) + 2 * first;
    for (std::size_t k = 0; k < count; ++k) {
        const unsigned pair = unsigned{text[2 * k]} << 8 | text[2 * k + 1];
        std::int16_t* pixel = &out[k * kChannels];
        if (pair == kTransparentPair) {
            pixel[0] = pixel[1] = pixel[2] = kTransparentGrey;
            pixel[3] = kTransparentMark;
            continue;
        }
        const ColourValue colour = codeColours[pair];
        pixel[0] = static_cast<std::int16_t>(colour & 0xFF);
        pixel[1] = static_cast<std::int16_t>(colour >> 8 & 0xFF);
        pixel[2] = static_cast<std::int16_t>(colour >> 16 & 0xFF);
        pixel[3] = 0;
    }
    return out;
}

bool oneColour(const Channels& pixels) {
    for (std::size_t j = kChannels; j < pixels.size(); ++j)
        if (pixels[j] != pixels[j % kChannels]) return false;
    return true;
}

// Each channel's change from the pixel before; the first pixel has none.
Steps horizontalSteps(const Channels& pixels) {
    Steps steps(pixels.size(), 0);
    for (std::size_t j = kChannels; j < pixels.size(); ++j)
        steps[j] = static_cast<std::int16_t>(pixels[j] - pixels[j - kChannels]);
    return steps;
}

// Sums of |step| over the pixels before each, for the rows' own change over any span.
std::vector<std::int64_t> changeBefore(const Steps& steps) {
    const std::size_t pixels = steps.size() / kChannels;
    std::vector<std::int64_t> sums(pixels + 1, 0);
    for (std::size_t k = 0; k < pixels; ++k) {
        std::int64_t change = 0;
        for (std::size_t c = 0; c < kChannels; ++c) change += std::abs(int{steps[k * kChannels + c]});
        sums[k + 1] = sums[k] + change;
    }
    return sums;
}

struct Picture {
    Channels pixels;
    Steps steps;
    std::vector<std::int64_t> changeSums;
};

// |a - b| for values of at most 9 bits, kept on 16 bits so that the loops
// below run on eight lanes at a time.
inline std::int16_t distance(std::int16_t a, std::int16_t b) {
    const auto difference = static_cast<std::int16_t>(a - b);
    return std::max(difference, static_cast<std::int16_t>(-difference));
}

// How badly the row above, `lag` channels back, foretells the step at j, plus
// a tenth of its distance.
inline std::int16_t missedAt(const std::int16_t* s, const std::int16_t* p, std::size_t j, std::size_t lag) {
    const std::int16_t own = s[j];
    const std::int16_t above = distance(own, s[j - lag]);
    const auto aside = static_cast<std::int16_t>(
        std::min(distance(own, s[j - lag - kChannels]), distance(own, s[j - lag + kChannels])) + kAsideCost);
    return static_cast<std::int16_t>(kStepWeight * std::min(above, aside) + distance(p[j], p[j - lag]));
}

// missedAt summed over [begin, size). Taken 32 at a time, so that the compiler
// puts them on vector lanes at the optimisation of any build, and summed in
// blocks whose total fits 32 bits.
std::int64_t mismatch(const Picture& picture, std::size_t begin, std::size_t size, std::size_t lag) {
    constexpr std::size_t kLanes = 32;
    constexpr std::size_t kBlock = std::size_t{1} << 16;
    const std::int16_t* s = picture.steps.data();
    const std::int16_t* p = picture.pixels.data();
    std::int64_t total = 0;
    for (std::size_t block = begin; block < size; block += kBlock) {
        const std::size_t end = std::min(size, block + kBlock);
        std::int32_t sum = 0;
        std::size_t j = block;
        for (; j + kLanes <= end; j += kLanes) {
            std::array<std::int16_t, kLanes> lanes{};
            for (std::size_t lane = 0; lane < kLanes; ++lane) lanes[lane] = missedAt(s, p, j + lane, lag);
            for (const std::int16_t missed : lanes) sum += missed;
        }
        for (; j < end; ++j) sum += missedAt(s, p, j, lag);
        total += sum;
    }
    return total;
}

// At the true width each step from a pixel's left neighbour is foretold by the
// step above it (or beside that, for a slanted edge): edges and gradients run
// on from row to row, while at a wrong width the row above is some other part of
// the picture. The score of the pixels [from, to), read with the row above `lag`
// pixels back, is the share of the rows' own change so foretold.
double lagScore(const Picture& picture, std::size_t lag, std::size_t from, std::size_t to) {
    const std::vector<std::int64_t>& sums = picture.changeSums;
    // Pixels from lag + 2 on have a step of their own and three in the row above.
    from = std::max(from, lag + 2);
    if (from >= to) return 0;
    const std::int64_t change = (sums[to] - sums[from]) + (sums[to - lag] - sums[from - lag]);
    if (change == 0) return 0;
    const std::int64_t missed = mismatch(picture, from * kChannels, to * kChannels, lag * kChannels);
    return 1.0 - static_cast<double>(missed) / static_cast<double>((kStepWeight + 1) * change);
}

// The width's own reading, or, when better by more than kLeaningCost, one with
// the row above a pixel aside; not where that lag is a candidate's own width or
// as near to another candidate's, which would make two widths read alike.
double widthScore(const Picture& picture, std::size_t width, std::int32_t pixelCount) {
    const std::size_t pixels = picture.changeSums.size() - 1;
    double score = lagScore(picture, width, 0, pixels);
    const std::size_t from = pixels > kLeaningPixels ? (pixels - kLeaningPixels) / 2 : 0;
    const std::size_t to = std::min(pixels, from + kLeaningPixels);
    const auto candidate = [&](std::size_t w) {
        return w > 0 && std::uint64_t{static_cast<std::uint32_t>(pixelCount)} % w == 0;
    };
    for (const std::size_t lag : {width - 1, width + 1}) {
        if (lag == 0 || candidate(lag) || candidate(2 * lag - width)) continue;
        score = std::max(score, lagScore(picture, lag, from, to) - kLeaningCost);
    }
    return score;
}

// Long side over short side, compared without division.
bool lessExtreme(const PictureSize& a, const PictureSize& b) {
    const std::int64_t aLong = std::max(a.width, a.height), aShort = std::min(a.width, a.height);
    const std::int64_t bLong = std::max(b.width, b.height), bShort = std::min(b.width, b.height);
    return aLong * bShort < bLong * aShort;
}

// A width is set back by the margin when it beats, by less than that, a narrower
// one that divides it, of a shape no more extreme. (On a tie the narrower one
// comes first anyway.)
void setBackMultiples(std::vector<SizeGuess>& guesses) {
    std::vector<bool> setBack(guesses.size(), false);
    for (std::size_t wide = 0; wide < guesses.size(); ++wide) {
        const SizeGuess& multiple = guesses[wide];
        for (std::size_t narrow = 0; narrow < wide && !setBack[wide]; ++narrow) {
            const SizeGuess& divisor = guesses[narrow];
            setBack[wide] = multiple.size.width % divisor.size.width == 0 &&
                            !lessExtreme(multiple.size, divisor.size) && multiple.score > divisor.score &&
                            divisor.score > multiple.score - kMultipleMargin;
        }
    }
    for (std::size_t k = 0; k < guesses.size(); ++k)
        if (setBack[k]) guesses[k].score -= kMultipleMargin;
}

bool better(const SizeGuess& a, const SizeGuess& b) {
    if (a.score != b.score) return a.score > b.score;
    if (lessExtreme(a.size, b.size) || lessExtreme(b.size, a.size)) return lessExtreme(a.size, b.size);
    return a.size.width < b.size.width;  // of the same shape, the upright one, as screens stand
}

Picture judgedPicture(std::string_view newHex, std::string_view oldHex, std::size_t count, const ColourTable& colours) {
    const std::size_t judged = std::min(count, kJudgedPixels);
    const std::size_t first = (count - judged) / 2;
    const ColourTable::CodeColours& codeColours = colours.codeColours();
    Picture picture;
    picture.pixels = channels(newHex, first, judged, codeColours);
    if (oneColour(picture.pixels)) {
        const std::size_t oldPixels = oldHex.size() / 2;
        const std::size_t oldJudged = oldPixels > first ? std::min(judged, oldPixels - first) : 0;
        picture.pixels = channels(oldHex, first, oldJudged, codeColours);
    }
    picture.steps = horizontalSteps(picture.pixels);
    picture.changeSums = changeBefore(picture.steps);
    return picture;
}

}  // namespace

std::vector<SizeGuess> guessSizes(std::string_view newHex, std::string_view oldHex, const ColourTable& colours) {
    const std::size_t count = newHex.size() / 2;
    if (count < std::size_t{kFewestPixels} || count > std::size_t{std::numeric_limits<std::int32_t>::max()}) return {};
    const auto pixelCount = static_cast<std::int32_t>(count);

    const Picture picture = judgedPicture(newHex, oldHex, count, colours);
    std::vector<SizeGuess> guesses;
    for (const std::int32_t width : candidateWidths(pixelCount))
        guesses.push_back(
            {{width, pixelCount / width}, widthScore(picture, static_cast<std::size_t>(width), pixelCount)});
    setBackMultiples(guesses);
    std::sort(guesses.begin(), guesses.end(), better);
    return guesses;
}

}  // namespace hexpane
