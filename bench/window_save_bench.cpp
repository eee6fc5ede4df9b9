// A picture replaced from an image and the patch saved, in the window, beside
// hexpane-import doing the same work on the same patch and image: one 240×320
// picture of the generated 67 MB patch, a few of its pixels edited. The
// window's time runs from choosing the image until the saved patch is
// complete (its save reads the patch again, as the importer does); the
// importer's is its whole run, process start included. Best of several runs;
// goal: the window within 1.2 × the importer. Both patches must be the same.
//
//   window_save_bench [RUNS]   (default: 5)
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>

#include "generated_patch.h"
#include "program_run.h"
#include "window/form1.h"
#include "window/pane.h"
#include "window/picture_actions.h"
#include "window/picture_list.h"
#include "window/test_toolkit.h"

namespace {

constexpr bench::Shape kShapes[] = {{240, 320}, {176, 220}, {101, 80}, {132, 176}, {46, 46}, {32, 32}};

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString patch = dir.filePath("bench.vkp");
    bench::writePatch(patch.toStdString(), std::uintmax_t{64} << 20, 16, kShapes);

    auto scripted = std::make_unique<hexpane::test::ScriptedDialog>();
    hexpane::test::ScriptedDialog& dialog = *scripted;
    hexpane::Form1 form(std::move(scripted), std::make_unique<hexpane::test::RecordedMessages>(),
                        QCoreApplication::applicationDirPath() + "/../src");
    form.show();
    form.openPatch(patch);
    while (form.busy()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    std::size_t index = 0;
    while (index < form.pictures.size() && form.pictures[index].newHex.size() != 2u * 240 * 320) ++index;
    if (index == form.pictures.size()) return std::fprintf(stderr, "no 240x320 picture\n"), 1;
    form.lst->selectRow(int(index));
    QImage image = form.pic[1]->image();
    for (int k = 0; k < 40; ++k) image.setPixel(3 * k, 5 * k, form.pic[1]->image().pixel(0, 0));
    const QString edited = dir.filePath(QString("%1-picture-new.bmp").arg(index, 3, 10, QChar('0')));
    image.save(edited);

    double window = 1e9, importer = 1e9;
    for (int run = 0; run < runs; ++run) {
        const QString byWindow = dir.filePath("window.vkp"), byImporter = dir.filePath("imported.vkp");
        QFile::remove(byWindow);
        QFile::remove(byImporter);
        form.replacements.clear();
        QElapsedTimer timer;
        timer.start();
        form.actions()->replaceFrom(edited);
        dialog.answers.emplace_back(byWindow);
        form.actions()->savePatchAs();
        while (form.busy()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        window = std::min(window, double(timer.nsecsElapsed()) / 1e9);
        importer = std::min(importer, bench::runProgram({HEXPANE_IMPORT_PROGRAM, patch.toStdString(),
                                                         edited.toStdString(), "-o", byImporter.toStdString()})
                                          .seconds);
        if (run == 0 && !bench::sameFiles(byWindow.toStdString(), byImporter.toStdString()))
            return std::fprintf(stderr, "the window's patch differs from the importer's\n"), 1;
    }
    std::printf(
        "replace one 240x320 picture and save the 67 MB patch: window %.3f s, hexpane-import %.3f s "
        "(ratio %.2f, goal <= 1.2)\n",
        window, importer, window / importer);
    return 0;
}
