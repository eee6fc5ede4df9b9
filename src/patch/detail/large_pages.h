// Large pages for the memory a read fills. A first read in a fresh process spends
// most of its time in page faults, one for every 4 KiB it fills; where the system
// maps large pages on request (Linux's transparent huge pages, "madvise" or
// "always"), one fault maps 2 MiB. Elsewhere, and when not wanted, these do nothing.
#pragma once

#include <cstddef>

namespace hexpane::large_pages {

// Whether the system maps large pages on request; asked once per process.
bool offered();

// Asks for large pages for the pages of [begin, begin + size), if it is large
// enough to hold one.
void advise(void* begin, std::size_t size);

// While one lives, with `wanted` and after the program called
// useLargePagesForReading(), notice() asks for large pages for what the heap,
// where the pictures' texts are allocated, grew by, before that is filled: the
// heap then grows in steps of many large pages, and the first asks for them for
// the free room a step left at its top before the read. Otherwise it does nothing.
class HeapGrowth {
public:
    explicit HeapGrowth(bool wanted);

    void notice();

private:
    bool active_ = false;
    char* advisedEnd_ = nullptr;  // the heap below this is advised or was in use before
};

}  // namespace hexpane::large_pages
