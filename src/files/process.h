// The first step of every program's main().
#pragma once

namespace hexpane {

// A write past a file-size limit then fails and is reported instead of
// ending the process (SIGXFSZ is ignored), and SIGINT, SIGTERM and SIGHUP let
// the saves under way finish first (finishSavesOnSignals); and the heap grows
// in large pages while a patch is read (useLargePagesForReading).
void setUpProcess();

}  // namespace hexpane
