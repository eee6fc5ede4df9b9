// The pictures of a patch file in compact form: the records readPatch makes,
// with their texts kept once, side by side, so that memory follows the file
// whatever it holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "patch/detail/block_growth.h"
#include "patch/patch_reader.h"

namespace hexpane {

namespace detail {
class PictureStore;
}

// One picture: its name, old hex text and new hex text, as PictureRecord holds
// them. Views into the memory of the Pictures that holds them, which stay valid
// while it lives, moved or not.
struct PictureText {
    std::string_view name, oldHex, newHex;
};

// An ordered list of pictures: item i is the record of the (i+1)-th data marker.
// Moved rather than copied; a move or a swap moves no text.
class Pictures {
public:
    std::size_t size() const noexcept { return records_.size; }
    bool empty() const noexcept { return records_.size == 0; }
    PictureText operator[](std::size_t index) const;

private:
    friend class detail::PictureStore;

    // Only the latest record grows, so each picture's old text and new text are
    // the slices of two texts that end where the record says and begin where the
    // record before it ends. A name of at most eight characters (a record's
    // index, mostly) lies in the record itself, in the bytes of nameAt; a longer
    // one given by a header lies once in names_, however many records it names.
    struct Record {
        std::uint64_t oldEnd, newEnd;
        std::uint64_t nameAt;    // where the name begins in names_, or the name itself
        std::uint64_t nameSize;  // with kInlineName set when the name is in nameAt
    };
    static constexpr std::uint64_t kInlineName = std::uint64_t{1} << 63;

    // Memory that is never held twice while it grows (block_growth.h).
    template <class T>
    struct Block {
        T* data = nullptr;
        std::size_t size = 0, capacity = 0;

        Block() = default;
        Block(Block&& other) noexcept { take(other); }
        Block& operator=(Block&& other) noexcept {
            if (this != &other) {
                block_growth::release(data, capacity * sizeof(T));
                take(other);
            }
            return *this;
        }
        ~Block() { block_growth::release(data, capacity * sizeof(T)); }
        void take(Block& other) noexcept {
            data = std::exchange(other.data, nullptr);
            size = std::exchange(other.size, 0);
            capacity = std::exchange(other.capacity, 0);
        }
    };

    Block<Record> records_;
    Block<char> oldText_, newText_, names_;
};

// Reads the stream to its end: the records readPatch gives, compactly.
Pictures readPictures(std::istream& in);

// The records in compact form, as readPictures gives those of a patch: for
// tools and tests that have records at hand.
Pictures picturesOf(std::span<const PictureRecord> records);

// pixelCount of the picture's new hex text.
std::int32_t pixelCount(const PictureText& picture);

// For tools that change new text in place: the runs of the new text of the
// pictures asked for, by their indices in ascending order (one may repeat), as
// readPatchLocated gives them; an index beyond the last picture gets none. Read
// from the stream without keeping any text, so memory follows only the runs.
// Indices not in order are refused with std::invalid_argument.
std::vector<std::vector<NewTextRun>> locateNewText(std::istream& in, std::span<const std::size_t> wanted);

}  // namespace hexpane
