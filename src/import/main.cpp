// hexpane-import: edited pictures back into a patch, changing only the
// characters of the pixels that changed.
#include "import/command_line.h"
#include "import/run.h"
#include "report/program.h"

int main(int argc, char** argv) {
    hexpane::ImportCommandLine line;
    return hexpane::runProgram(
        argc, argv, {.name = "hexpane-import", .line = line, .application = {}, .run = [&](hexpane::Report& report) {
                         hexpane::runImport(line.options(), report);
                     }});
}
