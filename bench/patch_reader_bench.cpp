// Throughput and peak memory of readPatch: on generated patches of 64 MiB, one
// with 16 bytes per data line (the shape of real patches) and one with 64; and on
// files of 32 MiB of every hostile shape, where a reader may fall to a slow path.
//
//   patch_reader_bench [benchmark flags]     benchmark, then one summary line per file
//   patch_reader_bench --read-only FILE      read FILE once, print the peak RSS in KiB
//   patch_reader_bench --read-pictures FILE  the same with readPictures
//   patch_reader_bench --records-only N      make N records as a read would, nothing else
//
// Each summary compares readPatch with `wc -l` on the same file in the same run,
// timed in turns, best of several runs each, by the CPU time they take (user and
// system), which other jobs on a shared machine leave alone; wc -l runs as a
// process of its own, start included, as a user would time it. readPatch is timed
// twice: in this process, where the heap keeps the memory a read frees for the
// next one, as in a program that opens file after file; and as the first read of a
// fresh process, which also pays for the page faults of all the memory it fills.
// The peak memory is that of the fresh process. A file of nothing but data
// markers makes a record of 96 bytes for every 16 it holds: beside it stands the
// time a fresh process takes to make as many records and nothing else, in room
// reserved once, in large pages, which no reader of that file can beat.
//
// Last, readPictures, the compact form the programs read, in a fresh process:
// on the generated patches, and on files of 64 MiB of nothing but data markers
// and of a name of 1 MiB over data markers, which readPatch cannot hold (it
// copies the name into every record): time per 64 MiB and peak memory beside
// the file's size.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "generated_patch.h"
#include "patch/detail/large_pages.h"
#include "patch/patch_reader.h"
#include "patch/pictures.h"
#include "patch/reading_memory.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr std::uintmax_t kFileSize = std::uintmax_t{64} << 20;

constexpr int kBytesPerLine[] = {16, 64};
constexpr int kRounds = 7;

constexpr std::size_t kHostileSize = std::size_t{32} << 20;
constexpr int kHostileRounds = 5;

// Screens, wallpapers, a few medium pictures and many icons.
constexpr bench::Shape kSizes[] = {
    {176, 220}, {101, 80}, {132, 176}, {16, 16}, {24, 24}, {32, 32}, {101, 80}, {48, 48}, {16, 16}, {176, 30},
};

fs::path patchPath(int bytesPerLine) {
    return fs::temp_directory_path() / ("hexpane_patch_reader_bench_" + std::to_string(bytesPerLine) + ".vkp");
}

// Reads in one process again and again, so its memory is reused from one read to
// the next: faster than a first read. Arg: bytes per data line.
void BM_ReadPatch(benchmark::State& state) {
    const fs::path path = patchPath(static_cast<int>(state.range(0)));
    const auto size = static_cast<std::int64_t>(fs::file_size(path));
    for (auto _ : state) {
        std::ifstream in(path, std::ios::binary);
        auto pictures = hexpane::readPatch(in);
        benchmark::DoNotOptimize(pictures.data());
    }
    state.SetBytesProcessed(state.iterations() * size);
}
BENCHMARK(BM_ReadPatch)->Arg(16)->Arg(64)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Runs a program with stdout sent to a file; returns its CPU time in seconds.
double runProgram(std::vector<std::string> args, const std::string& stdoutPath) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    int status = -1;
    rusage usage{};
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) wait4(pid, &status, 0, &usage);
    posix_spawn_file_actions_destroy(&actions);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::cerr << args[0] << " failed\n";
        std::exit(1);
    }
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double wcOnce(const fs::path& path) { return runProgram({"wc", "-l", path.string()}, "/dev/null"); }

// VmHWM belongs to the process's own address space, so unlike ru_maxrss it holds
// nothing of the parent that spawned it.
long peakKib() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    }
    return -1;
}

double cpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// One read in this process, the pictures freed after; the CPU time it took.
double readHere(const fs::path& path) {
    const double start = cpuSeconds();
    {
        std::ifstream in(path, std::ios::binary);
        auto pictures = hexpane::readPatch(in);
        benchmark::DoNotOptimize(pictures.data());
    }
    return cpuSeconds() - start;
}

struct ReadRun {
    double seconds;  // CPU time of the whole process
    long peakKib;
};

// One read as the first of a fresh process, by readPatch or with `mode`
// "--read-pictures" by readPictures.
ReadRun readInFreshProcess(const fs::path& path, const std::string& mode = "--read-only") {
    const fs::path report = fs::temp_directory_path() / "hexpane_patch_reader_bench.rss";
    const double seconds =
        runProgram({fs::read_symlink("/proc/self/exe").string(), mode, path.string()}, report.string());
    std::ifstream in(report);
    long kib = -1;
    in >> kib;
    fs::remove(report);
    return {seconds, kib};
}

// Hostile files: lines without end, lines of nothing, nothing but line ends or
// markers, data lines at their shortest and their widest.
struct Hostile {
    const char* name;
    std::string (*make)(std::size_t size);
};

std::string repeated(std::string_view unit, std::size_t size, std::string start = {}) {
    while (start.size() < size) start += unit;
    return start;
}

const std::string kDataMarkerLine = "; Picture Data\r\n";

const Hostile kHostile[] = {
    {"one line of zero bytes", [](std::size_t n) { return std::string(n, '\0'); }},
    {"one line of control bytes",
     [](std::size_t n) { return repeated("\x01\x02\x03\x04\x05\x06\x07\x08\t\x0b\x0c\x0e\x1f", n); }},
    {"one line of plain text",
     [](std::size_t n) { return repeated("Pictures and Patches: plain text, no line end. ", n); }},
    {"one line of spaces", [](std::size_t n) { return std::string(n, ' '); }},
    {"one line of spaces in a data block", [](std::size_t n) { return kDataMarkerLine + std::string(n, ' '); }},
    {"one line of zero bytes in a data block", [](std::size_t n) { return kDataMarkerLine + std::string(n, '\0'); }},
    {"only line feeds", [](std::size_t n) { return std::string(n, '\n'); }},
    {"only CRs", [](std::size_t n) { return std::string(n, '\r'); }},
    {"only CR LF pairs", [](std::size_t n) { return repeated("\r\n", n); }},
    {"only data markers", [](std::size_t n) { return repeated(kDataMarkerLine, n); }},
    {"only headers", [](std::size_t n) { return repeated("##### Picture pic01234 176x220\r\n", n); }},
    {"data lines of one character", [](std::size_t n) { return repeated("7\r\n", n, kDataMarkerLine); }},
    {"data lines of a colon and one character", [](std::size_t n) { return repeated(":7\r\n", n, kDataMarkerLine); }},
    {"data lines with 4000 spaces between runs",
     [](std::size_t n) { return repeated("0012A0: 00" + std::string(4000, ' ') + "FF\r\n", n, kDataMarkerLine); }},
};

// As many records as a reader makes of a file of nothing but data markers, each
// named by its index, in room reserved once.
void makeRecords(std::size_t count) {
    std::vector<hexpane::PictureRecord> records;
    records.reserve(count);
    hexpane::large_pages::advise(records.data(), count * sizeof(hexpane::PictureRecord));
    char digits[24];
    for (std::size_t i = 0; i < count; ++i) {
        records.emplace_back().name.assign(digits, std::to_chars(digits, std::end(digits), i).ptr);
    }
    benchmark::DoNotOptimize(records.data());
}

double recordsOnly(std::size_t count, int rounds) {
    double best = 1e9;
    for (int round = 0; round < rounds; ++round) {
        best = std::min(
            best, runProgram({fs::read_symlink("/proc/self/exe").string(), "--records-only", std::to_string(count)},
                             "/dev/null"));
    }
    return best;
}

struct Figures {
    double here = 1e9, fresh = 1e9, wc = 1e9;  // best CPU seconds
    long peakKib = 0;
};

Figures measure(const fs::path& path, int rounds) {
    Figures best;
    for (int round = 0; round < rounds; ++round) {
        best.wc = std::min(best.wc, wcOnce(path));
        best.here = std::min(best.here, readHere(path));
        const ReadRun run = readInFreshProcess(path);
        best.fresh = std::min(best.fresh, run.seconds);
        best.peakKib = std::max(best.peakKib, run.peakKib);
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    // What each program does first.
    hexpane::useLargePagesForReading();
    if (argc == 3 && std::strcmp(argv[1], "--read-only") == 0) {
        std::ifstream in(argv[2], std::ios::binary);
        const auto pictures = hexpane::readPatch(in);
        std::cout << peakKib() << ' ' << pictures.size() << '\n';
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "--read-pictures") == 0) {
        std::ifstream in(argv[2], std::ios::binary);
        const hexpane::Pictures pictures = hexpane::readPictures(in);
        std::cout << peakKib() << ' ' << pictures.size() << '\n';
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "--records-only") == 0) {
        makeRecords(std::strtoull(argv[2], nullptr, 10));
        return 0;
    }

    // Without this, whether glibc hands the freed pictures back to the system, to
    // fault them in again on the next read, depends on the order of the last frees.
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    for (const int bytes : kBytesPerLine) bench::writePatch(patchPath(bytes), kFileSize, bytes, kSizes);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    for (const int bytes : kBytesPerLine) {
        const fs::path path = patchPath(bytes);
        const Figures best = measure(path, kRounds);
        const double fileMb = static_cast<double>(fs::file_size(path)) / 1e6;
        const double peakMb = static_cast<double>(best.peakKib) * 1024 / 1e6;
        fs::remove(path);
        std::printf(
            "readPatch, %d bytes per data line: %.0f MB/s, in a fresh process %.0f MB/s "
            "(wc -l: %.0f MB/s; ratios %.2f and %.2f); peak RSS %.0f MB for a %.0f MB file (%.2fx)\n",
            bytes, fileMb / best.here, fileMb / best.fresh, fileMb / best.wc, best.wc / best.here, best.wc / best.fresh,
            peakMb, fileMb, peakMb / fileMb);
    }

    // A reader within 3 x wc -l's time on each, that is a ratio of 0.33 or more.
    const fs::path path = fs::temp_directory_path() / "hexpane_patch_reader_bench_hostile.vkp";
    for (const Hostile& shape : kHostile) {
        {
            const std::string file = shape.make(kHostileSize);
            std::ofstream(path, std::ios::binary).write(file.data(), static_cast<std::streamsize>(file.size()));
        }
        const Figures best = measure(path, kHostileRounds);
        const double fileMb = static_cast<double>(fs::file_size(path)) / 1e6;
        std::printf(
            "%-42s readPatch %5.0f MB/s, fresh %5.0f MB/s, wc -l %5.0f MB/s: ratios %.2f and %.2f; peak RSS %.2fx\n",
            (shape.name + std::string(":")).c_str(), fileMb / best.here, fileMb / best.fresh, fileMb / best.wc,
            best.wc / best.here, best.wc / best.fresh, static_cast<double>(best.peakKib) * 1024 / 1e6 / fileMb);
        if (std::strcmp(shape.name, "only data markers") == 0) {
            const double floor = recordsOnly(kHostileSize / kDataMarkerLine.size(), kHostileRounds);
            std::printf("%-42s %5.0f MB/s of the file in a fresh process: ratio %.2f\n",
                        "  making its records and nothing else:", fileMb / floor, best.wc / floor);
        }
    }
    fs::remove(path);

    const auto picturesInFreshProcess = [](const fs::path& file, const char* name) {
        ReadRun best{1e9, 0};
        for (int round = 0; round < kRounds; ++round) {
            const ReadRun run = readInFreshProcess(file, "--read-pictures");
            best = {std::min(best.seconds, run.seconds), std::max(best.peakKib, run.peakKib)};
        }
        const auto bytes = static_cast<double>(fs::file_size(file));
        const double peakMb = static_cast<double>(best.peakKib) * 1024 / 1e6;
        std::printf("readPictures, %-40s %5.0f MB/s, %.3f s per 64 MiB; peak RSS %.0f MB for a %.0f MB file (%.2fx)\n",
                    (std::string(name) + ":").c_str(), bytes / 1e6 / best.seconds,
                    best.seconds * static_cast<double>(kFileSize) / bytes, peakMb, bytes / 1e6, peakMb * 1e6 / bytes);
    };
    for (const int bytes : kBytesPerLine) {
        bench::writePatch(patchPath(bytes), kFileSize, bytes, kSizes);
        picturesInFreshProcess(patchPath(bytes), (std::to_string(bytes) + " bytes per data line").c_str());
        fs::remove(patchPath(bytes));
    }
    const auto kFile = static_cast<std::size_t>(kFileSize);
    const Hostile kLargeRecordCounts[] = {
        {"nothing but data markers", [](std::size_t n) { return repeated(kDataMarkerLine, n); }},
        {"a name of 1 MiB over data markers",
         [](std::size_t n) {
             return repeated(kDataMarkerLine, n, "##### Picture " + std::string(1 << 20, 'n') + " 176x220\r\n");
         }},
    };
    for (const Hostile& shape : kLargeRecordCounts) {
        {
            const std::string file = shape.make(kFile);
            std::ofstream(path, std::ios::binary).write(file.data(), static_cast<std::streamsize>(file.size()));
        }
        picturesInFreshProcess(path, shape.name);
    }
    fs::remove(path);
}
