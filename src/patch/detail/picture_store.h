// What readPictures keeps of what the reader reads: the records of a Pictures
// and its texts, each grown in place.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <string_view>
#include <utility>

#include "patch/detail/block_growth.h"
#include "patch/detail/text_scan.h"
#include "patch/pictures.h"

namespace hexpane::detail {

class PictureStore {
    template <class T>
    using Block = Pictures::Block<T>;
    using Record = Pictures::Record;

public:
    static constexpr bool kLocates = false;

    explicit PictureStore(bool largePages) : largePages_(largePages) {}

    // One of the texts, its latest record's part at its end.
    class Field {
    public:
        static constexpr bool kKeepsText = true;
        Field(Block<char>& text, bool largePages) : text_(text), largePages_(largePages) {}

        std::size_t size() const { return text_.size; }
        void append(const char* begin, const char* end) {
            const auto count = static_cast<std::size_t>(end - begin);
            if (count == 0) return;
            reserve(text_, text_.size + count, largePages_);
            std::memcpy(text_.data + text_.size, begin, count);
            text_.size += count;
        }
        // Room for `count` more characters and scan::kWidth beyond, to be
        // written before resize() sets the size.
        char* room(std::size_t count) {
            reserve(text_, text_.size + count + scan::kWidth, largePages_);
            return text_.data + text_.size;
        }
        void resize(std::size_t size) { text_.size = size; }

    private:
        Block<char>& text_;
        bool largePages_;
    };

    bool locating() const { return false; }
    bool full() const { return false; }
    void grow(std::uint64_t /*read*/, std::uint64_t /*left*/) {}
    void newRecord(std::string_view name, std::uint64_t header);
    void closeRecord();
    Field oldText() { return {pictures_.oldText_, largePages_}; }
    Field newText() { return {pictures_.newText_, largePages_}; }
    void newTextRun(std::uint64_t /*streamOffset*/, std::size_t /*textOffset*/, std::size_t /*length*/) {}
    Pictures finish();

private:
    // Room for `count` items at least, doubling.
    template <class T>
    static void reserve(Block<T>& block, std::size_t count, bool largePages);
    // Gives back the room beyond the items held.
    template <class T>
    static void shrink(Block<T>& block);

    bool largePages_;
    Pictures pictures_;
    std::uint64_t storedHeader_ = 0;  // the number of the header whose name was stored last
    std::uint64_t storedAt_ = 0;      // and where it lies in the names
};

template <class T>
void PictureStore::reserve(Block<T>& block, std::size_t count, bool largePages) {
    if (count <= block.capacity) return;
    constexpr std::size_t kFirst = std::max<std::size_t>(4096 / sizeof(T), 1);
    const std::size_t capacity = std::max({count, block.capacity * 2, kFirst});
    if (capacity > std::numeric_limits<std::size_t>::max() / sizeof(T)) throw std::bad_alloc();
    block.data = static_cast<T*>(block_growth::grow(block.data, block.size * sizeof(T), block.capacity * sizeof(T),
                                                    capacity * sizeof(T), largePages));
    block.capacity = capacity;
}

template <class T>
void PictureStore::shrink(Block<T>& block) {
    const block_growth::Shrunk shrunk =
        block_growth::shrink(block.data, block.size * sizeof(T), block.capacity * sizeof(T));
    block.data = static_cast<T*>(shrunk.block);
    block.capacity = shrunk.capacity / sizeof(T);
}

// A short name lies in the record; a header's longer name is stored with the
// first record it names.
inline void PictureStore::newRecord(std::string_view name, std::uint64_t header) {
    Block<Record>& records = pictures_.records_;
    reserve(records, records.size + 1, largePages_);
    Record& record = records.data[records.size++];
    record = {};
    if (name.size() <= sizeof record.nameAt) {
        std::memcpy(&record.nameAt, name.data(), name.size());
        record.nameSize = Pictures::kInlineName | name.size();
        return;
    }
    if (header == 0 || header != storedHeader_) {
        Field names(pictures_.names_, largePages_);
        storedAt_ = names.size();
        names.append(name.data(), name.data() + name.size());
        storedHeader_ = header;
    }
    record.nameAt = storedAt_;
    record.nameSize = name.size();
}

inline void PictureStore::closeRecord() {
    Block<Record>& records = pictures_.records_;
    if (records.size == 0) return;
    records.data[records.size - 1].oldEnd = pictures_.oldText_.size;
    records.data[records.size - 1].newEnd = pictures_.newText_.size;
}

inline Pictures PictureStore::finish() {
    closeRecord();
    shrink(pictures_.records_);
    shrink(pictures_.oldText_);
    shrink(pictures_.newText_);
    shrink(pictures_.names_);
    return std::move(pictures_);
}

}  // namespace hexpane::detail
