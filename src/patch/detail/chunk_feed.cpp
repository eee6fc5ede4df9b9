#include "patch/detail/chunk_feed.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "patch/detail/large_pages.h"
#include "patch/detail/text_scan.h"

namespace hexpane {

namespace {

constexpr std::size_t kFirstChunk = std::size_t{4} << 10;

static_assert(scan::kSlack <= 32, "the feed keeps 32 readable bytes around each span");

}  // namespace

ChunkFeed::ChunkFeed(std::istream& in, std::size_t chunkLimit, bool largePages)
    : in_(in),
      chunk_(std::min(kFirstChunk, std::max<std::size_t>(chunkLimit, 1))),
      chunkLimit_(std::max<std::size_t>(chunkLimit, 1)),
      largePages_(largePages) {}

ChunkFeed::~ChunkFeed() { std::free(memory_); }

void ChunkFeed::reserve(std::size_t size) {
    if (size <= capacity_) return;
    const std::size_t capacity = std::max(size, capacity_ * 2);
    const std::size_t bytes = kFrontSlack + capacity + scan::kSlack;
    const bool fresh = memory_ == nullptr;
    void* grown = std::realloc(memory_, bytes);
    if (!grown) throw std::bad_alloc();
    memory_ = static_cast<char*>(grown);
    capacity_ = capacity;
    if (fresh) std::memset(memory_, 0, kFrontSlack);
    if (largePages_) large_pages::advise(memory_, bytes);
}

bool ChunkFeed::next(TextSpan& span) {
    if (ended_) return false;
    reserve(held_ + chunk_);
    in_.read(data() + held_, static_cast<std::streamsize>(chunk_));
    const auto got = static_cast<std::size_t>(in_.gcount());
    // A stream gives less than asked only at its end (or on a failure, which ends it too).
    ended_ = got < chunk_;
    if (!ended_) chunk_ = std::min(chunk_ * 2, chunkLimit_);
    end_ = data() + held_ + got;
    std::memset(data() + held_ + got, 0, scan::kSlack);
    span = {data(), end_, offset_, ended_};
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
