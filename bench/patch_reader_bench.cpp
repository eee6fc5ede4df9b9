// Throughput and peak memory of readPatch on generated patches of 64 MiB, one
// with 16 bytes per data line (the shape of real patches) and one with 64.
//
//   patch_reader_bench [benchmark flags]     benchmark, then one summary line per file
//   patch_reader_bench --read-only FILE      read FILE once, print the peak RSS in KiB
//
// Each summary compares readPatch with `wc -l` on the same file in the same run,
// best of several runs each, taken in turns so that both see the same machine.
// The peak memory comes from a separate process that does nothing but read the file.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "patch/patch_reader.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr std::uintmax_t kFileSize = std::uintmax_t{64} << 20;

constexpr int kBytesPerLine[] = {16, 64};
constexpr int kRounds = 7;

struct PictureSize {
    int width, height;
};

// Screens, wallpapers, a few medium pictures and many icons.
constexpr PictureSize kSizes[] = {
    {176, 220}, {101, 80}, {132, 176}, {16, 16}, {24, 24}, {32, 32}, {101, 80}, {48, 48}, {16, 16}, {176, 30},
};

// A patch shaped like the real ones: headers, data markers, CR LF data lines of
// address, old bytes and new bytes, comments and blank lines between pictures.
void writePatch(const fs::path& path, int bytesPerLine) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::mt19937 random(2024);
    std::ofstream out(path, std::ios::binary);
    std::string text = "; generated patch for benchmarking\r\n;\r\n\r\n";
    std::uintmax_t written = 0;
    unsigned address = 0x100000;
    for (int picture = 0; written + text.size() < kFileSize; ++picture) {
        const PictureSize& shape = kSizes[random() % std::size(kSizes)];
        char line[96];
        std::snprintf(line, sizeof line, "##### Picture pic%05d %dx%d\r\n", picture % 4000, shape.width, shape.height);
        text += line;
        if (picture % 7 == 0) text += "; palette: phone default\r\n";
        text += "; Picture Data\r\n";
        for (int left = shape.width * shape.height; left > 0; left -= bytesPerLine) {
            const int count = std::min(left, bytesPerLine);
            std::snprintf(line, sizeof line, "%06X: ", address);
            text += line;
            address += static_cast<unsigned>(count);
            const std::size_t old = text.size();
            for (int k = 0; k < count; ++k) {
                const unsigned byte = random() & 0xFF;
                text += kDigits[byte >> 4];
                text += kDigits[byte & 15];
            }
            text += ' ';
            for (std::size_t k = old; k < old + 2 * static_cast<std::size_t>(count); k += 2) {
                text += (random() & 3) ? text[k] : 'C';  // most bytes change little
                text += (random() & 3) ? text[k + 1] : '0';
            }
            text += "\r\n";
        }
        text += "\r\n";
        if (text.size() > (1u << 20)) {
            out.write(text.data(), static_cast<std::streamsize>(text.size()));
            written += text.size();
            text.clear();
        }
    }
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

fs::path patchPath(int bytesPerLine) {
    return fs::temp_directory_path() / ("hexpane_patch_reader_bench_" + std::to_string(bytesPerLine) + ".vkp");
}

// Reads the file once, the pictures freed after; returns the wall time in seconds.
double readOnce(const fs::path& path) {
    const auto start = Clock::now();
    {
        std::ifstream in(path, std::ios::binary);
        auto pictures = hexpane::readPatch(in);
        benchmark::DoNotOptimize(pictures.data());
    }
    const std::chrono::duration<double> seconds = Clock::now() - start;
    return seconds.count();
}

// Arg: bytes per data line.
void BM_ReadPatch(benchmark::State& state) {
    const fs::path path = patchPath(static_cast<int>(state.range(0)));
    const auto size = static_cast<std::int64_t>(fs::file_size(path));
    for (auto _ : state) state.SetIterationTime(readOnce(path));
    state.SetBytesProcessed(state.iterations() * size);
}
BENCHMARK(BM_ReadPatch)->Arg(16)->Arg(64)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseManualTime();

// Runs a program with stdout sent to a file; returns the wall time in seconds.
double runProgram(std::vector<std::string> args, const std::string& stdoutPath) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    const auto start = Clock::now();
    pid_t pid = 0;
    int status = -1;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) waitpid(pid, &status, 0);
    const std::chrono::duration<double> seconds = Clock::now() - start;
    posix_spawn_file_actions_destroy(&actions);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::cerr << args[0] << " failed\n";
        std::exit(1);
    }
    return seconds.count();
}

// wc -l is timed with its process start, as a user would time it.
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

long childPeakKib(const fs::path& path) {
    const fs::path report = fs::temp_directory_path() / "hexpane_patch_reader_bench.rss";
    runProgram({fs::read_symlink("/proc/self/exe").string(), "--read-only", path.string()}, report.string());
    std::ifstream in(report);
    long kib = -1;
    in >> kib;
    fs::remove(report);
    return kib;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--read-only") == 0) {
        std::ifstream in(argv[2], std::ios::binary);
        const auto pictures = hexpane::readPatch(in);
        std::cout << peakKib() << ' ' << pictures.size() << '\n';
        return pictures.empty() ? 1 : 0;
    }

    for (const int bytes : kBytesPerLine) writePatch(patchPath(bytes), bytes);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    for (const int bytes : kBytesPerLine) {
        const fs::path path = patchPath(bytes);
        double bestRead = 1e9, bestWc = 1e9;
        for (int round = 0; round < kRounds; ++round) {
            bestWc = std::min(bestWc, wcOnce(path));
            bestRead = std::min(bestRead, readOnce(path));
        }
        const double fileMb = static_cast<double>(fs::file_size(path)) / 1e6;
        const double peakMb = static_cast<double>(childPeakKib(path)) * 1024 / 1e6;
        fs::remove(path);
        std::printf("readPatch, %d bytes per data line: %.0f MB/s (wc -l: %.0f MB/s, ratio %.2f); "
                    "peak RSS %.0f MB for a %.0f MB file (%.2fx)\n",
                    bytes, fileMb / bestRead, fileMb / bestWc, bestWc / bestRead, peakMb, fileMb, peakMb / fileMb);
    }
}
