// What a file held when it was read: its size and a digest of every byte, so
// that a later copy can tell whether the file still holds what was read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace hexpane {

struct FileDigest {
    std::uint64_t size = 0;
    std::uint64_t low = 0, high = 0;  // a 128-bit hash of the bytes
    bool whole = false;               // read to the file's end, which nothing had passed
    bool operator==(const FileDigest&) const = default;
};

// Digests bytes as they pass, at several gigabytes a second: it costs a
// fraction of reading a patch.
class Digester {
public:
    Digester();
    ~Digester();
    Digester(const Digester&) = delete;
    Digester& operator=(const Digester&) = delete;

    void add(const char* bytes, std::size_t size);
    // What has passed so far; whole as the caller knows it.
    FileDigest result(bool whole) const;

private:
    struct State;
    std::unique_ptr<State> state_;
    std::uint64_t size_ = 0;
};

}  // namespace hexpane
