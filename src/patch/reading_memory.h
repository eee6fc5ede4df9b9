// How a program lets the patch reader take the memory it fills in large pages.
#pragma once

namespace hexpane {

// For a program that reads large patches: called once, first thing in main(),
// before any other thread runs. A first read in a fresh process spends most of
// its time in page faults, one for every 4 KiB it fills; in large pages one
// fault maps 2 MiB. From this call on, the process's heap grows in steps of
// 64 MiB (what is not filled costs address space only; what a free leaves at
// the heap's top is kept up to that much, and malloc_trim(0) gives it back), and
// each read asks for large pages for the heap it grows before it fills it.
// Where the system maps no large pages on request, it does nothing.
void useLargePagesForReading();

}  // namespace hexpane
