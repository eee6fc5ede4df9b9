// A read that another thread follows and may stop: the bytes read so far, for
// a progress indication, and a request to stop, which the read honours between
// chunks by ending as if the file ended there.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <streambuf>
#include <vector>

namespace hexpane {

struct ReadWatch {
    std::atomic<std::uint64_t> bytes{0};
    std::atomic<std::uint64_t> total{0};  // what the source said it held when the read began
    std::atomic<bool> stop{false};
    // Called on the reading thread before each chunk: tests slow a read with it.
    std::function<void()> beforeChunk;
};

// The bytes of source, counted on watch, in chunks of at most a megabyte.
class WatchedSource final : public std::streambuf {
public:
    WatchedSource(std::streambuf& source, ReadWatch& watch);

    // Whether the read ended because it was asked to stop.
    bool stopped() const { return stopped_; }

protected:
    int_type underflow() override;
    std::streamsize xsgetn(char* to, std::streamsize count) override;
    std::streamsize showmanyc() override { return source_.in_avail(); }

private:
    std::streambuf& source_;
    ReadWatch& watch_;
    bool stopped_ = false;
    std::vector<char> buffer_;
};

}  // namespace hexpane
