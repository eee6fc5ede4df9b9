// A stream handed to the patch reader a chunk at a time. Each span holds the
// text the reader left unfinished in the span before, then the next chunk of
// the stream; so only an unfinished piece is carried, and memory follows the
// longest piece, not the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>

namespace hexpane {

// The text the reader has at hand: what it carried, then the next chunk.
struct TextSpan {
    const char* begin;
    const char* end;
    std::uint64_t offset;  // where begin stands in the stream, counted from where reading began
    bool last;             // end is the end of the stream
};

class ChunkFeed {
public:
    // Chunks start small, so that a small stream costs little, and double with
    // every chunk read in full, up to chunkLimit bytes.
    ChunkFeed(std::istream& in, std::size_t chunkLimit, bool largePages);
    ~ChunkFeed();
    ChunkFeed(const ChunkFeed&) = delete;
    ChunkFeed& operator=(const ChunkFeed&) = delete;

    // The next span, false once the last was given. Before and after it lie
    // scan::kSlack readable bytes, zeros before it.
    bool next(TextSpan& span);

    // The text of the last span from `from` on is unfinished: it begins the next.
    void keep(const char* from);

    // How many bytes the stream says it holds beyond the last span; 0 when it
    // cannot tell. A hint, which a stream that grows or shrinks meanwhile belies.
    std::uint64_t bytesLeft();

private:
    void reserve(std::size_t size);
    char* data() { return memory_ + kFrontSlack; }

    static constexpr std::size_t kFrontSlack = 32;

    std::istream& in_;
    char* memory_ = nullptr;    // front slack, capacity_ bytes of text, back slack
    std::size_t capacity_ = 0;  // grown with realloc, which moves a large block by remapping its pages
    std::size_t held_ = 0;      // bytes kept at the front
    const char* end_ = nullptr;
    std::uint64_t offset_ = 0;  // where the front stands in the stream
    std::size_t chunk_;
    std::size_t chunkLimit_;
    bool largePages_;
    bool ended_ = false;
};

}  // namespace hexpane
