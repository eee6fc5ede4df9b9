// What readPatch and readPatchLocated keep of what the reader reads: a list of
// PictureRecord, and with readPatchLocated the notes of where each new text stands.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <new>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "patch/detail/large_pages.h"
#include "patch/detail/markers.h"
#include "patch/detail/text_scan.h"
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

// The list grows by what the stream promises once it holds this many records.
inline constexpr std::size_t kRecordsBeforePromises = (std::size_t{1} << 20) / sizeof(PictureRecord);

// Each record needs a piece of its own that holds a data marker, and pieces are
// parted by a line break: this many bytes at least, but for the last record.
inline constexpr std::size_t kBytesPerRecord = kDataMarker.size() + 1;

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

// A field of the latest record, as the reader appends to it.
struct StringField {
    static constexpr bool kKeepsText = true;
    std::string& text;

    std::size_t size() const { return text.size(); }
    void append(const char* begin, const char* end) { text.append(begin, end); }
    // Room for `count` more characters and scan::kWidth beyond, to be written
    // before resize() sets the size.
    char* room(std::size_t count) {
        const std::size_t was = text.size();
        text.resize(was + count + scan::kWidth);
        return text.data() + was;
    }
    void resize(std::size_t size) { text.resize(size); }
};

template <class Notes>
class RecordStore {
public:
    static constexpr bool kLocates = Notes::kLocates;

    explicit RecordStore(bool largePages) : largePages_(largePages) {}

    bool locating() const { return true; }
    bool full() const { return pictures_.size() == pictures_.capacity(); }
    void grow(std::uint64_t read, std::uint64_t left);
    void newRecord(std::string_view name, std::uint64_t /*header*/) {
        PictureRecord& record = pictures_.emplace_back();
        notes_.newPicture();
        record.name.assign(name);
    }
    void closeRecord();
    StringField oldText() { return {pictures_.back().oldHex}; }
    StringField newText() { return {pictures_.back().newHex}; }
    void newTextRun(std::uint64_t streamOffset, std::size_t textOffset, std::size_t length) {
        notes_.newText(streamOffset, textOffset, length);
    }
    auto finish() {
        closeRecord();
        giveBackUnpromised(pictures_);
        notes_.giveBack();
        if constexpr (kLocates) {
            return LocatedPatch{std::move(pictures_), std::move(notes_.runs)};
        } else {
            return std::move(pictures_);
        }
    }

private:
    bool largePages_;
    std::vector<PictureRecord> pictures_;
    Notes notes_;
};

// Room for more records, `read` bytes into the stream with `left` more to come.
// Each move of the list moves every record, and a patch of nothing but data
// markers makes a list six times its size; so once the list holds a megabyte,
// rather than doubling, it grows at once to the records the rest of the stream
// promises at the rate so far, an eighth to spare, never more than its bytes can
// hold; when that is more than double, and the memory is to be had. A smaller
// list moves at little cost, and grows as a vector does. The new room is asked
// for in large pages before the pictures move into it.
template <class Notes>
void RecordStore<Notes>::grow(std::uint64_t read, std::uint64_t left) {
    const std::size_t size = pictures_.size();
    const std::size_t doubled = std::max(kFirstRecords, size * 2);
    const auto records = static_cast<double>(size);
    const auto done = static_cast<double>(std::max<std::uint64_t>(read, 1));
    const auto ahead = static_cast<double>(left);
    const double promised = std::min({records * (1 + ahead / done) * 1.125, records + (ahead + 1) / kBytesPerRecord,
                                      static_cast<double>(pictures_.max_size())});
    std::vector<PictureRecord> bigger;
    const auto reserve = [&](std::size_t capacity) {
        bigger.reserve(capacity);
        notes_.reserve(capacity);
    };
    if (size >= kRecordsBeforePromises && promised > static_cast<double>(doubled)) {
        try {
            reserve(static_cast<std::size_t>(promised));
        } catch (const std::bad_alloc&) {
            bigger = std::vector<PictureRecord>();
        }
    }
    if (bigger.capacity() == 0) reserve(doubled);
    if (largePages_) large_pages::advise(bigger.data(), bigger.capacity() * sizeof(PictureRecord));
    std::move(pictures_.begin(), pictures_.end(), std::back_inserter(bigger));
    pictures_ = std::move(bigger);
}

// Appending doubles a field's capacity as it grows; once no more data can reach a
// record, give back what it holds beyond a little, so that the list costs about
// what the pictures hold.
template <class Notes>
void RecordStore<Notes>::closeRecord() {
    if (pictures_.empty()) return;
    for (std::string* field : {&pictures_.back().oldHex, &pictures_.back().newHex}) {
        if (field->capacity() - field->size() > kSpareCapacity) field->shrink_to_fit();
    }
}

}  // namespace hexpane::detail
