#include "files/process.h"

#include <csignal>

#include "files/saved_file.h"
#include "patch/reading_memory.h"

namespace hexpane {

void setUpProcess() {
    std::signal(SIGXFSZ, SIG_IGN);
    finishSavesOnSignals();
    useLargePagesForReading();
}

}  // namespace hexpane
