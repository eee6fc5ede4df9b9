#include "files/watched_read.h"

#include <algorithm>

namespace hexpane {

namespace {

constexpr std::streamsize kChunk = std::streamsize{1} << 20;

}  // namespace

WatchedSource::WatchedSource(std::streambuf& source, ReadWatch& watch) : source_(source), watch_(watch) {
    watch_.total = std::uint64_t(std::max<std::streamsize>(0, source_.in_avail()));
}

std::streamsize WatchedSource::xsgetn(char* to, std::streamsize count) {
    std::streamsize done = std::min<std::streamsize>(count, egptr() - gptr());
    if (done > 0) {
        std::copy_n(gptr(), done, to);
        gbump(int(done));
    }
    while (done < count && !stopped_) {
        if (watch_.beforeChunk) watch_.beforeChunk();
        if (watch_.stop.load(std::memory_order_relaxed)) {
            stopped_ = true;
            break;
        }
        const std::streamsize got = source_.sgetn(to + done, std::min(count - done, kChunk));
        if (got <= 0) break;
        done += got;
        watch_.bytes.fetch_add(std::uint64_t(got), std::memory_order_relaxed);
    }
    return done;
}

WatchedSource::int_type WatchedSource::underflow() {
    if (buffer_.empty()) buffer_.resize(std::size_t{1} << 16);
    setg(nullptr, nullptr, nullptr);
    const std::streamsize got = xsgetn(buffer_.data(), std::streamsize(buffer_.size()));
    if (got <= 0) return traits_type::eof();
    setg(buffer_.data(), buffer_.data(), buffer_.data() + got);
    return traits_type::to_int_type(buffer_[0]);
}

}  // namespace hexpane
