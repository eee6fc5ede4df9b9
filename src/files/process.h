// The first step of every program's main().
#pragma once

namespace hexpane {

// A write past a file-size limit then fails and is reported instead of
// ending the process (SIGXFSZ is ignored), and SIGINT, SIGTERM and SIGHUP let
// the saves under way finish first (finishSavesOnSignals).
void setUpProcess();

}  // namespace hexpane
