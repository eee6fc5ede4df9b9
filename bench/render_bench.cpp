#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>

#include "picture/render.h"

namespace {

using hexpane::ColourTable;

constexpr char kDigits[] = "0123456789ABCDEF";

ColourTable fullTable() {
    ColourTable table;
    for (unsigned byte = 0; byte < 256; ++byte) {
        const char code[2] = {kDigits[byte >> 4], kDigits[byte & 15]};
        table.add(std::string_view(code, 2), byte * 0x010101u);
    }
    return table;
}

std::string randomHex(std::int64_t pixels) {
    std::mt19937 random(42);
    std::string hex;
    hex.reserve(static_cast<std::size_t>(pixels) * 2);
    for (std::int64_t k = 0; k < pixels; ++k) {
        const unsigned byte = random() & 0xFF;
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 15];
    }
    return hex;
}

void setPixelRate(benchmark::State& state, std::int64_t pixels) {
    // Shown as pixels per second with an SI prefix: "px=950M/s" is 950 Mpixel/s.
    state.counters["px"] = benchmark::Counter(static_cast<double>(pixels) * static_cast<double>(state.iterations()),
                                              benchmark::Counter::kIsRate);
}

// Args: width, height.
void BM_RenderPane(benchmark::State& state) {
    const auto width = static_cast<std::int32_t>(state.range(0));
    const auto height = static_cast<std::int32_t>(state.range(1));
    const ColourTable colours = fullTable();
    const std::string hex = randomHex(std::int64_t{width} * height);
    for (auto _ : state) {
        auto pixels = hexpane::renderPane(hex, width, height, colours, hexpane::TransparentColour::Phone);
        benchmark::DoNotOptimize(pixels.data());
        benchmark::ClobberMemory();
    }
    setPixelRate(state, std::int64_t{width} * height);
}
BENCHMARK(BM_RenderPane)->Args({2048, 2048})->Args({176, 220})->Unit(benchmark::kMicrosecond);

// What a table costs before its first draw: its colours of all two-character
// codes, black, then 256 codes added in every letter case.
void BM_FirstDrawSetUp(benchmark::State& state) {
    for (auto _ : state) {
        const ColourTable colours = fullTable();
        benchmark::DoNotOptimize(colours.codeColours().data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FirstDrawSetUp)->Unit(benchmark::kMicrosecond);

// The floor to compare against: one copy of the same hex text.
void BM_CopyHexText(benchmark::State& state) {
    const std::int64_t pixels = state.range(0) * state.range(1);
    const std::string hex = randomHex(pixels);
    for (auto _ : state) {
        std::string copy = hex;
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
    setPixelRate(state, pixels);
}
BENCHMARK(BM_CopyHexText)->Args({2048, 2048})->Args({176, 220})->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
