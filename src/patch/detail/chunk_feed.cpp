#include "patch/detail/chunk_feed.h"

#include <algorithm>
#include <cstring>

#include "patch/detail/block_growth.h"
#include "patch/detail/text_scan.h"

namespace hexpane {

namespace {

constexpr std::size_t kFirstChunk = std::size_t{4} << 10;

static_assert(scan::kSlack <= 32, "the feed keeps 32 readable bytes around each window");

}  // namespace

ChunkFeed::ChunkFeed(std::istream& in, std::size_t chunkLimit, bool largePages)
    : in_(in),
      chunk_(std::min(kFirstChunk, std::max<std::size_t>(chunkLimit, 1))),
      chunkLimit_(std::max<std::size_t>(chunkLimit, 1)),
      largePages_(largePages) {}

ChunkFeed::~ChunkFeed() {
    if (memory_) block_growth::release(memory_, bytes(capacity_));
}

void ChunkFeed::reserve(std::size_t size) {
    if (size <= capacity_) return;
    const std::size_t capacity = std::max(size, capacity_ * 2);
    const bool fresh = memory_ == nullptr;
    const std::size_t kept = fresh ? 0 : kFrontSlack + held_;
    memory_ = static_cast<char*>(
        block_growth::grow(memory_, kept, fresh ? 0 : bytes(capacity_), bytes(capacity), largePages_));
    capacity_ = capacity;
    if (fresh) std::memset(memory_, 0, kFrontSlack);
}

bool ChunkFeed::next(Window& window) {
    if (ended_) return false;
    reserve(held_ + chunk_);
    in_.read(data() + held_, static_cast<std::streamsize>(chunk_));
    const auto got = static_cast<std::size_t>(in_.gcount());
    // A stream gives less than asked only at its end (or on a failure, which ends it too).
    ended_ = got < chunk_;
    if (!ended_) chunk_ = std::min(chunk_ * 2, chunkLimit_);
    end_ = data() + held_ + got;
    std::memset(data() + held_ + got, 0, scan::kSlack);
    window = {data(), end_, offset_, ended_};
    return true;
}

void ChunkFeed::keep(const char* from) {
    held_ = static_cast<std::size_t>(end_ - from);
    offset_ += static_cast<std::uint64_t>(from - data());
    if (from != data()) std::memmove(data(), from, held_);
}

std::uint64_t ChunkFeed::bytesLeft() {
    const std::streamsize left = in_.rdbuf() != nullptr ? in_.rdbuf()->in_avail() : 0;
    return left > 0 ? static_cast<std::uint64_t>(left) : 0;
}

}  // namespace hexpane
