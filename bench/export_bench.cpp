// hexpane-export, each figure beside a baseline measured in the same run:
//   - on a generated 64 MiB patch of 16-byte data lines: every picture, both
//     panes, as BMP into an empty folder, against `cp -r` of the folder it
//     produced into another empty folder on the same file system;
//   - on the same patch: --list, against readPatch alone on the same file;
//   - on the same patch with an empty size table: --list --guess-sizes, every
//     picture's size guessed, beside --list (goal: 3 s);
//   - on a patch of a million one-pixel pictures: the peak memory of
//     --list --json beside that of --list;
//   - 10,000 pictures exported with a 200,000-line size table (the sizes they
//     need at its end) beside the same with a 10-line table.
// Times are the best of several runs, process start included, as a user would
// time them; readPatch alone runs in a process of its own too (this program,
// with --read-only), so both pay for a fresh process's memory alike.
//
//   export_bench [RUNS]               (default: 5)
//   export_bench --read-only FILE     readPatch on FILE, nothing else
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "generated_patch.h"
#include "patch/patch_reader.h"
#include "program_run.h"

namespace {

namespace fs = std::filesystem;

constexpr std::uintmax_t kFileSize = std::uintmax_t{64} << 20;
constexpr int kBytesPerLine = 16;

double run(std::vector<std::string> args) { return bench::runProgram(std::move(args)).seconds; }

struct Figures {
    double exported = 1e9, copied = 1e9, listed = 1e9, read = 1e9;
    std::size_t files = 0;
    std::uintmax_t bytes = 0;
};

// Each round writes into fresh empty folders, so no file is ever replaced.
// Nothing is deleted until the end: freeing blocks on a file system mounted
// with discard slows the next writes down for a while. Each timed step starts
// with nothing left to write back.
void measureOnce(const fs::path& patch, const fs::path& scratch, int round, Figures& f) {
    const std::string program = HEXPANE_EXPORT_PROGRAM;
    const fs::path exported = scratch / ("export" + std::to_string(round));
    const fs::path copy = scratch / ("copy" + std::to_string(round));
    fs::create_directories(exported);
    fs::create_directories(copy);
    sync();
    f.exported = std::min(f.exported, run({program, "-o", exported.string(), patch.string()}));
    sync();
    f.copied = std::min(f.copied, run({"cp", "-r", (exported / "bench").string(), copy.string()}));
    f.listed = std::min(f.listed, run({program, "--list", patch.string()}));
    f.read = std::min(f.read, run({fs::read_symlink("/proc/self/exe").string(), "--read-only", patch.string()}));
    if (f.files == 0) {
        for (const auto& entry : fs::directory_iterator(exported / "bench")) {
            ++f.files;
            f.bytes += entry.file_size();
        }
    }
}

void writeText(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

// A million pictures of one pixel each: the listing is as long as it gets
// beside the patch.
void listingMemory(const fs::path& scratch) {
    const fs::path patch = scratch / "tiny.vkp";
    std::string text;
    for (int i = 0; i < 1'000'000; ++i) text += "; Picture Data\r\n0000: 00 01\r\n";
    writeText(patch, text);
    const std::string program = HEXPANE_EXPORT_PROGRAM;
    double list = 1e9, json = 1e9;
    for (int round = 0; round < 3; ++round) {
        list = std::min(list, bench::runProgram({program, "--list", patch.string()}).peakMb);
        json = std::min(json, bench::runProgram({program, "--list", "--json", patch.string()}).peakMb);
    }
    std::printf("--list --json peak memory: %.0f MB; --list: %.0f MB (ratio %.2f, goal <= 1.5), %.0f MB patch\n", json,
                list, json / list, double(fs::file_size(patch)) / 1e6);
}

// Sizes found at the end of a long table against a short one.
void longSizeTable(const fs::path& scratch, int runs) {
    std::string patch, sizes;
    for (int i = 0; i < 10'000; ++i) {
        const int side = 4 + i % 10;
        patch += "; Picture Data\r\n0: " + std::string(std::size_t(2 * side * side), '0') + "\r\n";
    }
    for (int side = 4; side < 14; ++side) sizes += std::to_string(side) + "," + std::to_string(side) + "\n";
    std::string filler;
    for (int i = 0; i < 200'000 - 10; ++i) filler += "1000," + std::to_string(1000 + i) + "\n";
    writeText(scratch / "sizes.vkp", patch);
    writeText(scratch / "short.txt", sizes);
    writeText(scratch / "long.txt", filler + sizes);
    const std::string program = HEXPANE_EXPORT_PROGRAM;
    double timed[2] = {1e9, 1e9};
    for (int round = 0; round < runs; ++round) {
        for (int table = 0; table < 2; ++table) {
            if (round > 0 && timed[table] > 10) continue;  // once is enough to see it
            const fs::path out = scratch / ("sizes" + std::to_string(round) + std::to_string(table));
            const std::string tablePath = (scratch / (table == 0 ? "short.txt" : "long.txt")).string();
            timed[table] =
                std::min(timed[table],
                         run({program, "--size", tablePath, "-o", out.string(), (scratch / "sizes.vkp").string()}));
        }
    }
    std::printf("10,000 pictures with a 200,000-line size table: %.3f s; with a 10-line one: %.3f s (ratio %.2f)\n",
                timed[1], timed[0], timed[1] / timed[0]);
}

// Every picture of the patch guessed, beside the listing that guesses none.
void guessedListing(const fs::path& patch, const fs::path& scratch, int runs) {
    const fs::path empty = scratch / "no_sizes.txt";
    writeText(empty, "");
    const std::string program = HEXPANE_EXPORT_PROGRAM;
    double guessed = 1e9, listed = 1e9;
    for (int round = 0; round < runs; ++round) {
        guessed =
            std::min(guessed, run({program, "--size", empty.string(), "--list", "--guess-sizes", patch.string()}));
        listed = std::min(listed, run({program, "--size", empty.string(), "--list", patch.string()}));
    }
    std::printf("--list --guess-sizes, no size in the table: %.3f s (goal <= 3 s); --list: %.3f s\n", guessed, listed);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--read-only") {
        std::ifstream in(argv[2], std::ios::binary);
        return hexpane::readPatch(in).empty() ? 1 : 0;
    }
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const fs::path scratch = fs::temp_directory_path() / "hexpane_export_bench";
    fs::remove_all(scratch);
    fs::create_directories(scratch);
    const fs::path patch = scratch / "bench.vkp";
    bench::writePatch(patch, kFileSize, kBytesPerLine, bench::kListedShapes);

    Figures f;
    for (int round = 0; round < runs; ++round) measureOnce(patch, scratch, round, f);
    const double fileMb = double(fs::file_size(patch)) / 1e6;
    std::printf(
        "export: %zu files, %.0f MB, from a %.0f MB patch in %.3f s; cp -r of them: %.3f s (ratio %.2f, goal <= 3)\n",
        f.files, double(f.bytes) / 1e6, fileMb, f.exported, f.copied, f.exported / f.copied);
    std::printf("--list: %.3f s; readPatch alone, in a process: %.3f s (ratio %.2f, goal <= 1.5)\n", f.listed, f.read,
                f.listed / f.read);
    guessedListing(patch, scratch, runs);
    listingMemory(scratch);
    longSizeTable(scratch, runs);
    fs::remove_all(scratch);
}
