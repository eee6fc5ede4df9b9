#include "files/process.h"

#include <csignal>

#include "files/saved_file.h"

namespace hexpane {

void setUpProcess() {
    std::signal(SIGXFSZ, SIG_IGN);
    finishSavesOnSignals();
}

}  // namespace hexpane
