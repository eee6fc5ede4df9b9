#include "picture/render.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>

namespace hexpane {

namespace {

// Only this exact text is redirected by the options; "c0" keeps its table colour.
constexpr std::string_view kTransparentCode = "C0";
constexpr unsigned kTransparentPair = unsigned{'C'} << 8 | unsigned{'0'};

// The colours of the two-character codes, each looked up on its first use and kept
// under the code's two bytes: one array load per pixel afterwards. The cache lives
// on from call to call in each thread; an entry counts only when stamped with the
// current call, so a call costs nothing for the many codes it never uses, and no
// table of 65,536 entries is set up per picture.
class PairCache {
public:
    static constexpr std::size_t kPairs = 65536;

    // Starts a call: every entry stamped before it is out of date.
    void begin() {
        if (++call_ == 0) {  // the stamps went round: clear them once
            for (std::size_t pair = 0; pair < kPairs; ++pair) entries_[pair].stamp = 0;
            call_ = 1;
        }
    }
    const ColourValue* find(unsigned pair) const {
        return entries_[pair].stamp == call_ ? &entries_[pair].colour : nullptr;
    }
    ColourValue keep(unsigned pair, ColourValue colour) {
        entries_[pair] = {colour, call_};
        return colour;
    }

private:
    struct Entry {
        ColourValue colour;
        std::uint32_t stamp;
    };
    std::unique_ptr<Entry[]> entries_ = std::make_unique<Entry[]>(kPairs);
    std::uint32_t call_ = 0;
};

ColourValue transparentColour(const ColourTable& colours, TransparentColour option) {
    switch (option) {
    case TransparentColour::Form:
        return kFaceColour;
    case TransparentColour::Phone:
        return kPhoneBackground;
    case TransparentColour::Standard:
        break;
    }
    return colours.lookup(kTransparentCode).value_or(0);
}

}  // namespace

std::vector<ColourValue> renderPane(std::string_view hex, std::int32_t width, std::int32_t height,
                                    const ColourTable& colours, TransparentColour option) {
    // Pixel positions are 32-bit, so a picture of more pixels than that has no fitting size.
    if (width < 1 || height < 1) return {};
    const std::int64_t pixels = std::int64_t{width} * height;
    if (pixels > std::numeric_limits<std::int32_t>::max()) return {};

    std::vector<ColourValue> out(static_cast<std::size_t>(pixels), kWindowBackground);
    const std::size_t whole = std::min(out.size(), hex.size() / 2);

    thread_local PairCache cache;
    cache.begin();
    cache.keep(kTransparentPair, transparentColour(colours, option));

    const auto* text = reinterpret_cast<const unsigned char*>(hex.data());
    for (std::size_t k = 0; k < whole; ++k) {
        const unsigned pair = unsigned{text[2 * k]} << 8 | text[2 * k + 1];
        const ColourValue* known = cache.find(pair);
        out[k] = known ? *known : cache.keep(pair, colours.lookup(hex.substr(2 * k, 2)).value_or(0));
    }
    // An odd-length text ends in a one-character code, drawn when the picture reaches it.
    if (whole < out.size() && hex.size() % 2 == 1) out[whole] = colours.lookup(hex.substr(hex.size() - 1)).value_or(0);
    return out;
}

}  // namespace hexpane
