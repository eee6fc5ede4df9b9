// The window's handlers on a real window (offscreen), each timed from the
// event until the window has painted, the moment a click would be taken:
//   lst_Click: size lookup, both panes rendered and converted, placed and shown;
//   a huge picture: selecting it, and a click on an option or the border box;
//   type-ahead: one key typed into a list of a million names (and beside it
//   the time to build the window with that list, which checks every name's
//   encoding once).
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

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

// A window over a full colour table and the given sizes, showing `pictures`.
class Window {
public:
    Window(const char* sizes, std::vector<hexpane::PictureRecord> pictures) {
        {
            std::ofstream map(dir_.filePath("map.txt").toStdString(), std::ios::binary);
            for (int code = 0; code < 256; ++code) {
                char line[16];
                std::snprintf(line, sizeof line, "%02X %06X\r\n", code, code * 0x010101);
                map << line;
            }
            std::ofstream(dir_.filePath("size.txt").toStdString(), std::ios::binary) << sizes;
        }
        form = std::make_unique<hexpane::Form1>(std::make_unique<hexpane::test::ScriptedDialog>(),
                                                std::make_unique<hexpane::test::RecordedMessages>(), dir_.path());
        form->lst->names()->beginChange();
        form->pictures = hexpane::picturesOf(pictures);
        form->lst->names()->endChange();
        form->show();
        QCoreApplication::processEvents();
    }

    // Runs the events an action left and paints the window, as a user would see it.
    void settle() {
        QCoreApplication::processEvents();
        form->repaint();
    }

    std::unique_ptr<hexpane::Form1> form;

private:
    QTemporaryDir dir_;
};

void BM_lst_Click(benchmark::State& state) {
    const int width = int(state.range(0)), height = int(state.range(1));
    const std::size_t pixels = std::size_t(width) * std::size_t(height);
    Window window("176,220\r\n2048,2048\r\n", {{"picture", hexOf(pixels, 1), hexOf(pixels, 2)}});
    window.form->lst->selectRow(0);  // draws once

    for (auto _ : state) {
        window.form->lst_Click();
        QCoreApplication::processEvents();  // the panes paint
    }
    state.counters["Mpx/s"] =
        benchmark::Counter(double(2 * pixels) / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_lst_Click)->Args({176, 220})->Args({2048, 2048})->Unit(benchmark::kMillisecond);

// An 8000 × 8000 picture, two of them so that a selection changes the drawing.
// Goal: every action answers within 1 s.
constexpr int kHuge = 8000;

std::unique_ptr<Window> hugeWindow() {
    const std::size_t pixels = std::size_t(kHuge) * kHuge;
    std::vector<hexpane::PictureRecord> pictures;
    pictures.push_back({"first", hexOf(pixels, 1), hexOf(pixels, 2)});
    pictures.push_back({"second", hexOf(pixels, 3), hexOf(pixels, 4)});
    return std::make_unique<Window>("8000,8000\r\n", std::move(pictures));
}

void BM_HugePicture_Select(benchmark::State& state) {
    const auto window = hugeWindow();
    int row = 0;
    for (auto _ : state) {
        window->form->lst->selectRow(row);
        window->settle();
        row = 1 - row;
    }
}
BENCHMARK(BM_HugePicture_Select)->Iterations(4)->Unit(benchmark::kMillisecond);

// Clicks that redraw the selected picture: an option (two in turn), or the border box.
void BM_HugePicture_Click(benchmark::State& state) {
    const auto window = hugeWindow();
    const bool border = state.range(0) != 0;
    window->form->lst->selectRow(0);
    window->settle();
    std::size_t option = 1;
    for (auto _ : state) {
        QWidget* control = border ? static_cast<QWidget*>(window->form->chk) : window->form->opt[option];
        QTest::mouseClick(control, Qt::LeftButton);
        window->settle();
        option = 1 - option;
    }
    state.SetLabel(border ? "border box" : "option");
}
BENCHMARK(BM_HugePicture_Click)->Arg(0)->Arg(1)->Iterations(4)->Unit(benchmark::kMillisecond);

// A million names: short ones (p0 to p999999), or 210 Cyrillic letters each in
// UTF-8. Every key is one that no name starts with, so each search goes round
// the whole list; the goal is 100 ms a key.
std::vector<hexpane::PictureRecord> millionNames(bool cyrillic) {
    std::vector<hexpane::PictureRecord> pictures(1'000'000);
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        if (!cyrillic) {
            pictures[i].name = 'p';
            pictures[i].name += std::to_string(i);
            continue;
        }
        std::string& name = pictures[i].name;
        name.reserve(420);
        for (std::size_t k = 0; k < 210; ++k) {
            const unsigned letter = 0x430 + unsigned((i * 7 + k * 13) % 31);  // а to ю, never я
            name += char(0xC0 | letter >> 6);
            name += char(0x80 | (letter & 0x3F));
        }
    }
    return pictures;
}

void BM_TypeAhead(benchmark::State& state) {
    const bool cyrillic = state.range(0) != 0;
    std::vector<hexpane::PictureRecord> pictures = millionNames(cyrillic);
    QElapsedTimer filling;
    filling.start();
    Window window("1,1\r\n", std::move(pictures));
    state.counters["window_with_list_ms"] = double(filling.nsecsElapsed()) / 1e6;
    window.form->lst->setFocus();
    const QString key = cyrillic ? QStringLiteral("я") : QStringLiteral("z");
    for (auto _ : state) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, key);
        QCoreApplication::sendEvent(window.form->lst, &press);
        window.settle();
    }
    state.SetLabel(cyrillic ? "names of 210 Cyrillic letters" : "short names");
}
BENCHMARK(BM_TypeAhead)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
