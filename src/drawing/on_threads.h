// Work spread over several threads, the calling one among them: each thread
// runs the same work function, which takes what is left to do until nothing
// is. Where no further thread can be started (a process limit, no memory for
// one), those there are do it all, the calling thread at the least.
#pragma once

#include <algorithm>
#include <exception>
#include <thread>
#include <vector>

namespace hexpane {

// How many threads the machine runs at once; 1 where it cannot tell.
inline unsigned coreCount() { return std::max(1u, std::thread::hardware_concurrency()); }

// Runs work on `threads` threads, this one included, and returns once every
// run has returned.
template <class Work>
void runOnThreads(unsigned threads, const Work& work) {
    std::vector<std::jthread> helpers;
    try {
        for (unsigned k = 1; k < threads; ++k) helpers.emplace_back(work);
    } catch (const std::exception&) {  // std::system_error, or no memory for one more
    }
    work();
}  // the helpers are joined as they end here

}  // namespace hexpane
