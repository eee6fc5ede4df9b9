// Limits a test sets on its own process while an object lives, so that a
// write or an allocation fails as on a full disk or a machine short of memory,
// whoever runs the test, root included.
#pragma once

#include <sys/resource.h>

#include <fstream>
#include <string>

namespace hexpane::test {

// A file-size limit stops a write halfway whoever runs the test, root included.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &old_);
        rlimit tight = old_;
        tight.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &tight);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &old_); }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit old_{};
};

// While it lives, the process may map only `spare` more bytes than it has
// mapped now, so a large allocation fails as on a machine short of memory.
class MemoryLimit {
public:
    explicit MemoryLimit(rlim_t spare) {
        getrlimit(RLIMIT_AS, &old_);
        rlimit tight = old_;
        tight.rlim_cur = mapped() + spare;
        setrlimit(RLIMIT_AS, &tight);
    }
    ~MemoryLimit() { setrlimit(RLIMIT_AS, &old_); }
    MemoryLimit(const MemoryLimit&) = delete;
    MemoryLimit& operator=(const MemoryLimit&) = delete;

private:
    static rlim_t mapped() {
        std::ifstream status("/proc/self/status");
        std::string key;
        rlim_t kib = 0;
        while (status >> key && key != "VmSize:") status.ignore(1 << 10, '\n');
        status >> kib;
        return kib * 1024;
    }
    rlimit old_{};
};

}  // namespace hexpane::test
