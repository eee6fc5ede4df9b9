#include "patch/detail/large_pages.h"

#include <atomic>
#include <cstdint>
#include <fstream>
#include <string>

#include "patch/reading_memory.h"

#if defined(__linux__) && defined(__GLIBC__) && (__GLIBC__ > 2 || __GLIBC_MINOR__ >= 33)
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>
#define HEXPANE_LARGE_PAGES 1
#endif

namespace hexpane::large_pages {

#if HEXPANE_LARGE_PAGES
namespace {

constexpr std::uintptr_t kLargePage = std::uintptr_t{2} << 20;

// The heap grows by this much beyond what is asked, once the program asks for
// large pages: a step that holds many whole large pages, of which only the one
// where it starts may already be in use. What is not filled costs address space only.
constexpr int kHeapStep = 64 << 20;

char* pageDown(char* at, std::uintptr_t page) { return at - (reinterpret_cast<std::uintptr_t>(at) & (page - 1)); }
char* alignDown(char* at) { return pageDown(at, kLargePage); }
char* alignUp(char* at) { return alignDown(at + (kLargePage - 1)); }

char* heapEnd() { return static_cast<char*>(sbrk(0)); }

// Set once, by the program: the heap grows in steps of kHeapStep.
std::atomic<bool> heapInSteps{false};

}  // namespace
#endif

bool offered() {
#if HEXPANE_LARGE_PAGES
    static const bool onRequest = [] {
        std::ifstream in("/sys/kernel/mm/transparent_hugepage/enabled");
        std::string modes;
        std::getline(in, modes);
        return modes.find("[madvise]") != std::string::npos || modes.find("[always]") != std::string::npos;
    }();
    return onRequest;
#else
    return false;
#endif
}

void advise([[maybe_unused]] void* begin, [[maybe_unused]] std::size_t size) {
#if HEXPANE_LARGE_PAGES
    // Only memory that can hold a large page is asked for; but then all of its
    // pages are, so that a block mapped by itself stays one mapping, which realloc
    // can still move and grow by remapping it.
    if (size < kLargePage) return;
    const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    char* const first = pageDown(static_cast<char*>(begin), page);
    char* const last = pageDown(static_cast<char*>(begin) + size + page - 1, page);
    // A refusal (a kernel without large pages) leaves the memory as it was.
    madvise(first, static_cast<std::size_t>(last - first), MADV_HUGEPAGE);
#endif
}

HeapGrowth::HeapGrowth([[maybe_unused]] bool wanted) {
#if HEXPANE_LARGE_PAGES
    if (!wanted || !heapInSteps.load(std::memory_order_relaxed)) return;
    active_ = true;
    // The free room at the heap's top, a step grown before the read, is what the
    // read fills first.
    advisedEnd_ = alignUp(heapEnd() - mallinfo2().keepcost);
    notice();
#endif
}

void HeapGrowth::notice() {
#if HEXPANE_LARGE_PAGES
    if (!active_) return;
    char* const end = heapEnd();
    if (end < advisedEnd_) {
        // Trimmed meanwhile: what grows again comes without the advice.
        advisedEnd_ = alignUp(end);
    } else if (end - advisedEnd_ >= static_cast<std::ptrdiff_t>(kLargePage)) {
        advise(advisedEnd_, static_cast<std::size_t>(end - advisedEnd_));
        advisedEnd_ = alignDown(end);
    }
#endif
}

}  // namespace hexpane::large_pages

namespace hexpane {

void useLargePagesForReading() {
#if HEXPANE_LARGE_PAGES
    if (!large_pages::offered()) return;
    mallopt(M_TOP_PAD, large_pages::kHeapStep);
    large_pages::heapInSteps.store(true, std::memory_order_relaxed);
#endif
}

}  // namespace hexpane
