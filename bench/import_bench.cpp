// hexpane-import on the generated 64 MiB patch of 16-byte data lines that the
// export benchmark uses, beside hexpane-export on the same patch in the same
// run: every picture exported, then every new image imported back unchanged
// into a new patch, which must equal the old byte for byte. Times are the best
// of several runs, process start included; the peak memory is the importing
// process's largest resident set (ru_maxrss, which may also count the little
// this program holds when it starts the process).
//
//   import_bench [RUNS]   (default: 5)

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "generated_patch.h"
#include "program_run.h"

namespace {

namespace fs = std::filesystem;

constexpr std::uintmax_t kFileSize = std::uintmax_t{64} << 20;
constexpr int kBytesPerLine = 16;

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const fs::path scratch = fs::temp_directory_path() / "hexpane_import_bench";
    fs::remove_all(scratch);
    fs::create_directories(scratch);
    const fs::path patch = scratch / "bench.vkp";
    bench::writePatch(patch, kFileSize, kBytesPerLine, bench::kListedShapes);

    double exported = 1e9, imported = 1e9;
    double peakMb = 0;
    std::uintmax_t largestImage = 0;
    for (int round = 0; round < runs; ++round) {
        // Fresh folders each round, as in the export benchmark; nothing is deleted before the end.
        const fs::path folder = scratch / ("export" + std::to_string(round));
        const fs::path written = scratch / ("import" + std::to_string(round) + ".vkp");
        fs::create_directories(folder);
        sync();
        exported = std::min(exported,
                            bench::runProgram({HEXPANE_EXPORT_PROGRAM, "-o", folder.string(), patch.string()}).seconds);
        sync();
        const bench::Ran import = bench::runProgram(
            {HEXPANE_IMPORT_PROGRAM, patch.string(), (folder / "bench").string(), "-o", written.string()});
        imported = std::min(imported, import.seconds);
        peakMb = std::max(peakMb, import.peakMb);
        if (round == 0) {
            if (!bench::sameFiles(patch, written)) {
                std::cerr << "the imported patch differs from the exported one\n";
                return 1;
            }
            for (const auto& entry : fs::directory_iterator(folder / "bench"))
                largestImage = std::max(largestImage, entry.file_size());
        }
    }
    const double patchMb = double(fs::file_size(patch)) / 1e6;
    fs::remove_all(scratch);

    std::printf(
        "import of every picture, unchanged, from a %.0f MB patch: %.3f s; export of it: %.3f s "
        "(ratio %.2f, goal <= 1.5)\n",
        patchMb, imported, exported, imported / exported);
    std::printf("import peak memory: %.0f MB = %.2f x the patch (goal <= 2 x the patch + the largest image, %.2f MB)\n",
                peakMb, peakMb / patchMb, double(largestImage) / 1e6);
}
