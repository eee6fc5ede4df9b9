// The two markers of the patch format, and the searches for them.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

#include "patch/detail/text_scan.h"

namespace hexpane::detail {

inline constexpr std::string_view kHeaderMarker = "##### Picture ";
inline constexpr std::string_view kDataMarker = "; Picture Data";

// Both markers hold the word "Picture" after a space: a 'P' with a space before
// it, an 'i' after it and an 'e' six bytes on. A byte that is no such 'P' begins
// no marker's word, so the searches look for these 'P's and check the rest.
inline constexpr std::size_t kHeaderP = kHeaderMarker.find('P');
inline constexpr std::size_t kDataP = kDataMarker.find('P');
static_assert(kHeaderMarker.substr(kHeaderP - 1, 8) == " Picture" && kDataMarker.substr(kDataP - 1, 8) == " Picture");

struct MarkerWords {
    scan::Marks operator()(const char* at) const {
        using scan::load;
        const scan::Marks p = load(at) == 'P';
        if (!scan::bits(p)) return p;  // as in hex data, nearly always
        return p & (load(at - 1) == ' ') & (load(at + 1) == 'i') & (load(at + 6) == 'e');
    }
};

// Whether `marker` lies in [begin, end) with its 'P' at `p`.
inline bool markerAt(const char* p, std::size_t pOffset, std::string_view marker, const char* begin, const char* end) {
    if (static_cast<std::size_t>(p - begin) < pOffset) return false;
    const char* const at = p - pOffset;
    return static_cast<std::size_t>(end - at) >= marker.size() && std::memcmp(at, marker.data(), marker.size()) == 0;
}

inline bool startsMarker(const char* p, const char* begin, const char* end) {
    return markerAt(p, kHeaderP, kHeaderMarker, begin, end) || markerAt(p, kDataP, kDataMarker, begin, end);
}

struct Markers {
    const char* header = nullptr;  // the first header marker
    bool data = false;
};

inline Markers findMarkers(const char* begin, const char* end) {
    Markers found;
    for (const char* p = scan::find(begin, end, MarkerWords{}); p != end; p = scan::find(p + 1, end, MarkerWords{})) {
        if (markerAt(p, kHeaderP, kHeaderMarker, begin, end)) {
            found.header = p - kHeaderP;
            return found;  // a header wins over any data marker
        }
        found.data = found.data || markerAt(p, kDataP, kDataMarker, begin, end);
    }
    return found;
}

// Outside a data block only markers matter; a marker can straddle the end of
// the text read, so this much of it is read again with the next.
inline constexpr std::size_t kMarkerTail = kHeaderMarker.size() - 1;

}  // namespace hexpane::detail
