// What locateNewText keeps of what the reader reads: the runs of new text of the
// pictures wanted, and of the latest picture only the length of its new text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "patch/patch_reader.h"

namespace hexpane::detail {

class LocatingStore {
public:
    static constexpr bool kLocates = true;

    // `wanted` in ascending order.
    explicit LocatingStore(std::span<const std::size_t> wanted) : wanted_(wanted), runs_(wanted.size()) {}

    // A text that is counted, not kept.
    class Field {
    public:
        static constexpr bool kKeepsText = false;
        explicit Field(std::size_t& size) : size_(size) {}

        std::size_t size() const { return size_; }
        void append(const char* begin, const char* end) { size_ += static_cast<std::size_t>(end - begin); }
        void resize(std::size_t size) { size_ = size; }

    private:
        std::size_t& size_;
    };

    bool locating() const { return wanting_; }
    bool full() const { return false; }
    void grow(std::uint64_t /*read*/, std::uint64_t /*left*/) {}
    void newRecord(std::string_view /*name*/, std::uint64_t /*header*/) {
        const std::size_t index = records_++;
        while (next_ < wanted_.size() && wanted_[next_] < index) ++next_;
        wanting_ = next_ < wanted_.size() && wanted_[next_] == index;
        newSize_ = 0;
    }
    void closeRecord() {}
    Field oldText() { return Field(oldSize_); }
    Field newText() { return Field(newSize_); }
    void newTextRun(std::uint64_t streamOffset, std::size_t textOffset, std::size_t length) {
        if (wanting_ && length > 0) runs_[next_].push_back({streamOffset, textOffset, length});
    }
    // An index wanted twice gets its runs twice.
    std::vector<std::vector<NewTextRun>> finish() {
        for (std::size_t k = 1; k < wanted_.size(); ++k) {
            if (wanted_[k] == wanted_[k - 1]) runs_[k] = runs_[k - 1];
        }
        return std::move(runs_);
    }

private:
    std::span<const std::size_t> wanted_;
    std::vector<std::vector<NewTextRun>> runs_;  // [k]: the runs of picture wanted_[k]
    std::size_t records_ = 0;
    std::size_t next_ = 0;  // the first of wanted_ not yet passed
    bool wanting_ = false;  // the latest record is wanted_[next_]
    std::size_t oldSize_ = 0, newSize_ = 0;
};

}  // namespace hexpane::detail
