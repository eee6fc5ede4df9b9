// The list of records the reader makes, and the notes of where their new texts stand.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>
#include <vector>

#include "patch/detail/markers.h"
#include "patch/patch_reader.h"

namespace hexpane::detail {

// The list's first room, in records.
inline constexpr std::size_t kFirstRecords = 16;

// Gives back the room reserved for records the stream seemed to promise and did
// not hold: more than a vector that doubles would keep.
template <class T>
void giveBackUnpromised(std::vector<T>& list) {
    if (list.capacity() / 2 > list.size() + kFirstRecords) list.shrink_to_fit();
}

// The index of the next record in decimal, counted up as records are made.
class DecimalCounter {
public:
    DecimalCounter() { digits_.fill('0'); }
    std::string_view text() const { return {digits_.data() + first_, digits_.size() - first_}; }
    void next() {
        std::size_t i = digits_.size() - 1;
        for (; digits_[i] == '9'; --i) digits_[i] = '0';
        ++digits_[i];
        first_ = std::min(first_, i);
    }

private:
    // Room for every index, with '0's before the first digit for the carry.
    std::array<char, std::numeric_limits<std::size_t>::digits10 + 2> digits_{};
    std::size_t first_ = digits_.size() - 1;
};

// The list grows by what the stream promises once it holds this many records.
inline constexpr std::size_t kRecordsBeforePromises = (std::size_t{1} << 20) / sizeof(PictureRecord);

// Each record needs a piece of its own that holds a data marker, and pieces are
// parted by a line break: this many bytes at least, but for the last record.
inline constexpr std::size_t kBytesPerRecord = kDataMarker.size() + 1;

// ---- Where the new texts stand ----

// The choice is made at compile time: a reader that does not locate keeps no notes.
struct WithoutLocations {
    static constexpr bool kLocates = false;
    void reserve(std::size_t) {}
    void giveBack() {}
    void newPicture() {}
    void newText(std::uint64_t, std::size_t, std::size_t) {}
};

struct WithLocations {
    static constexpr bool kLocates = true;
    std::vector<std::vector<NewTextRun>> runs;

    void reserve(std::size_t pictures) { runs.reserve(pictures); }
    void giveBack() { giveBackUnpromised(runs); }
    void newPicture() { runs.emplace_back(); }
    void newText(std::uint64_t streamOffset, std::size_t textOffset, std::size_t length) {
        if (length > 0) runs.back().push_back({streamOffset, textOffset, length});
    }
};

// A record's field may keep this much spare capacity when the record closes.
inline constexpr std::size_t kSpareCapacity = 256;

}  // namespace hexpane::detail
