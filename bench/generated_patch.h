// Generated patches for the benchmarks, shaped like the real ones: headers, data
// markers, CR LF data lines of address, old bytes and new bytes, comments and
// blank lines between pictures. The same arguments give the same file.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <span>
#include <string>

namespace bench {

struct Shape {
    int width, height;
};

// Sizes that size.txt lists: screens, wallpapers and icons.
inline constexpr Shape kListedShapes[] = {{176, 220}, {101, 80}, {132, 176}, {16, 16}, {24, 24},
                                          {32, 32},   {48, 48},  {128, 160}, {46, 46}, {16, 16}};

// Writes about `size` bytes of pictures of the given shapes, picked at random,
// with `bytesPerLine` pixels on each data line.
inline void writePatch(const std::filesystem::path& path, std::uintmax_t size, int bytesPerLine,
                       std::span<const Shape> shapes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::mt19937 random(2024);
    std::ofstream out(path, std::ios::binary);
    std::string text = "; generated patch for benchmarking\r\n;\r\n\r\n";
    std::uintmax_t written = 0;
    unsigned address = 0x100000;
    for (int picture = 0; written + text.size() < size; ++picture) {
        const Shape& shape = shapes[random() % shapes.size()];
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

}  // namespace bench
