// The memory law of readPictures: whatever a file holds, a program that reads it
// with readPictures peaks within 3 x the file's size + 64 MB. Each file is read
// by this test program run again as a fresh process, as a program would read it,
// and the peak resident memory of that whole process is what counts.
#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "patch/pictures.h"
#include "patch/reading_memory.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr std::uintmax_t kAllowance = 64'000'000;

// What a program does: the one call, then the read. Prints the peak resident
// memory in KiB and the number of pictures.
int readAndReport(const char* path) {
    hexpane::useLargePagesForReading();
    std::ifstream in(path, std::ios::binary);
    const hexpane::Pictures pictures = hexpane::readPictures(in);
    std::ifstream status("/proc/self/status");
    long peakKib = -1;
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) peakKib = std::atol(line.c_str() + 6);
    }
    std::cout << peakKib << ' ' << pictures.size() << std::endl;
    return in.bad() ? 1 : 0;
}

struct Reading {
    long peakKib = -1;
    std::size_t pictures = 0;
};

// Runs this program as a fresh process on `path`.
Reading readInFreshProcess(const fs::path& path) {
    int out[2];
    if (pipe(out) != 0) return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::string self = fs::read_symlink("/proc/self/exe").string(), flag = "--read-pictures", file = path.string();
    char* argv[] = {self.data(), flag.data(), file.data(), nullptr};
    pid_t pid = 0;
    const bool started = posix_spawn(&pid, argv[0], &actions, nullptr, argv, environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    Reading reading;
    if (FILE* from = fdopen(out[0], "r")) {
        if (std::fscanf(from, "%ld %zu", &reading.peakKib, &reading.pictures) != 2) reading.peakKib = -1;
        std::fclose(from);
    } else {
        close(out[0]);
    }
    int status = -1;
    if (started) waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) reading.peakKib = -1;
    return reading;
}

const std::string H = "##### Picture ";
const std::string D = "; Picture Data";
constexpr std::size_t kSize = std::size_t{32} << 20;

struct Shape {
    const char* name;
    std::function<std::size_t(std::ostream&)> write;  // returns the number of data markers written
};

std::size_t repeat(std::ostream& out, const std::string& unit, std::size_t size) {
    std::string block;
    while (block.size() < (1u << 20)) block += unit;
    for (std::size_t written = 0; written < size; written += block.size()) out << block;
    return (size + block.size() - 1) / block.size() * (block.size() / unit.size());
}

const Shape kShapes[] = {
    {"data markers, CR LF", [](std::ostream& out) { return repeat(out, D + "\r\n", kSize); }},
    {"data markers, LF", [](std::ostream& out) { return repeat(out, D + "\n", kSize); }},
    {"data markers, CR", [](std::ostream& out) { return repeat(out, D + "\r", kSize); }},
    {"a name of 1 MiB over 600 data markers",
     [](std::ostream& out) {
         out << H << std::string(1 << 20, 'n') << "\r\n";
         for (int i = 0; i < 600; ++i) out << D << "\r\n";
         return std::size_t{600};
     }},
    {"a name of 1 MiB over a file of data markers",
     [](std::ostream& out) {
         out << H << std::string(1 << 20, 'n') << "\r\n";
         return repeat(out, D + "\r\n", kSize);
     }},
    {"names of 1 MiB, each over a data marker",
     [](std::ostream& out) {
         for (int i = 0; i < 32; ++i)
             out << H << std::string(1 << 20, static_cast<char>('a' + i % 2)) << "\r\n" << D << "\r\n";
         return std::size_t{32};
     }},
    {"headers by turns, each over a data marker",
     [](std::ostream& out) {
         return repeat(out, H + "left\r\n" + D + "\r\n" + H + "right\r\n" + D + "\r\n", kSize) * 2;
     }},
    {"a header line of 32 MiB, then a data marker",
     [](std::ostream& out) {
         out << H << std::string(kSize, 'n') << "\r\n" << D;
         return std::size_t{1};
     }},
    {"a data line of 32 MiB",
     [](std::ostream& out) {
         out << D << "\r\n0: " << std::string(kSize / 2, 'A') << ' ' << std::string(kSize / 2, 'B');
         return std::size_t{1};
     }},
    {"pictures of 16-byte data lines",
     [](std::ostream& out) {
         std::mt19937 random(3);
         std::size_t pictures = 0;
         for (std::size_t written = 0; written < kSize; ++pictures) {
             std::string text = H + "p" + std::to_string(pictures % 100) + " 176x220\r\n" + D + "\r\n";
             for (int line = 0; line < 2420; ++line) {
                 std::string bytes(32, '0');
                 for (char& c : bytes) c = "0123456789ABCDEF"[random() % 16];
                 text += "0012A0: " + bytes + " " + bytes + "\r\n";
             }
             out << text << "\r\n";
             written += text.size() + 2;
         }
         return pictures;
     }},
};

TEST(ReadPictures, PeaksWithinThreeTimesTheFileAnd64MB) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer holds freed memory and maps shadow memory: a sanitized process's peak "
                    "is no program's";
#endif
    const fs::path path = fs::temp_directory_path() / ("hexpane_pictures_memory_" + std::to_string(getpid()));
    for (const Shape& shape : kShapes) {
        std::size_t markers = 0;
        {
            std::ofstream out(path, std::ios::binary);
            markers = shape.write(out);
            ASSERT_TRUE(out.flush()) << shape.name;
        }
        const std::uintmax_t size = fs::file_size(path);
        const Reading reading = readInFreshProcess(path);
        ASSERT_GT(reading.peakKib, 0) << shape.name << ": the reading process failed";
        EXPECT_EQ(reading.pictures, markers) << shape.name;
        const auto peak = static_cast<std::uintmax_t>(reading.peakKib) * 1024;
        EXPECT_LE(peak, 3 * size + kAllowance)
            << shape.name << ": " << peak / 1'000'000 << " MB for a file of " << size / 1'000'000 << " MB";
    }
    fs::remove(path);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string_view(argv[1]) == "--read-pictures") return readAndReport(argv[2]);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
