// The whole lst_Click on a real window (offscreen): size lookup, both panes
// rendered and converted, placed and shown.
#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fstream>
#include <memory>
#include <string>

#include "window/form1.h"
#include "window/picture_list.h"
#include "window/test_toolkit.h"

namespace {

std::string hexOf(std::size_t pixels, unsigned seed) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string hex(2 * pixels, '0');
    for (std::size_t k = 0; k < pixels; ++k) {
        seed = seed * 1103515245u + 12345u;
        const unsigned byte = (seed >> 16) & 0xFF;
        hex[2 * k] = kDigits[byte >> 4];
        hex[2 * k + 1] = kDigits[byte & 15];
    }
    return hex;
}

void BM_lst_Click(benchmark::State& state) {
    const int width = int(state.range(0)), height = int(state.range(1));
    QTemporaryDir dir;
    {
        std::ofstream map(dir.filePath("map.txt").toStdString(), std::ios::binary);
        for (int code = 0; code < 256; ++code) {
            char line[16];
            std::snprintf(line, sizeof line, "%02X %06X\r\n", code, code * 0x010101);
            map << line;
        }
        std::ofstream sizes(dir.filePath("size.txt").toStdString(), std::ios::binary);
        sizes << "176,220\r\n2048,2048\r\n";
    }
    hexpane::Form1 form(std::make_unique<hexpane::test::ScriptedDialog>(),
                        std::make_unique<hexpane::test::RecordedMessages>(), dir.path());
    const std::size_t pixels = std::size_t(width) * std::size_t(height);
    form.lst->names()->beginChange();
    form.pictures = {{"picture", hexOf(pixels, 1), hexOf(pixels, 2)}};
    form.lst->names()->endChange();
    form.show();
    form.lst->selectRow(0);  // draws once

    for (auto _ : state) {
        form.lst_Click();
        QCoreApplication::processEvents();  // the panes paint
    }
    state.counters["Mpx/s"] =
        benchmark::Counter(double(2 * pixels) / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_lst_Click)->Args({176, 220})->Args({2048, 2048})->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
