// The exporter's files against the window's: the sample patch, every pane of
// every picture, saved through the save icon and written by hexpane-export
// with its tables beside it, must be the same bytes; and the colours the
// exporter gives the system colours must be the ones the window shows.
#include <QRadioButton>

#include "drawing/system_colours.h"
#include "export/picture_files.h"
#include "run_export.h"
#include "text/picture_file_names.h"
#include "window/pane.h"
#include "window/save_icon.h"
#include "window/window_fixture.h"

namespace hexpane::test {
namespace {

std::string sourceFile(const char* name) {
    return readBytes(QStringLiteral(HEXPANE_SOURCE_DIR "/") + name).toStdString();
}

class MatchesTheWindow : public WindowTest {
protected:
    void SetUp() override { open(sourceFile("data/map.txt").c_str(), sourceFile("data/size.txt").c_str()); }
};

TEST_F(MatchesTheWindow, SystemColoursAreTheWindowsDefaults) {
    const QPalette& shown = form->pic[0]->palette();
    EXPECT_EQ(shown.color(QPalette::Base).rgb(), qRgb(0xFF, 0xFF, 0xFF));
    EXPECT_EQ(shown.color(QPalette::Window).rgb(), qRgb(0xEF, 0xEF, 0xEF));
    for (ColourValue index = 0; index < 32; ++index) {
        EXPECT_EQ(toRgb(0x80000000u | index, defaultPalette()), toRgb(0x80000000u | index, shown)) << index;
    }
}

TEST_F(MatchesTheWindow, EveryPaneIsTheWindowsBitmapByteForByte) {
    const QString patch = load(sourceFile("examples/sample.vkp"));
    ASSERT_EQ(form->pictures.size(), 3u);
    const char* transparent[] = {"form", "phone", "standard"};
    for (std::size_t option = 0; option < 3; ++option) {
        QTest::mouseClick(form->opt[option], Qt::LeftButton);
        const QString out = dir.filePath(transparent[option]);
        const ExportRun run = runExport({"--transparent", transparent[option], "-o", out, patch}, dir.path());
        ASSERT_EQ(run.status, 0) << run.err.toStdString();
        for (int row = 0; row < 3; ++row) {
            select(row);
            ASSERT_TRUE(form->img[1]->isVisible()) << row;
            for (std::size_t pane = 0; pane < 2; ++pane) {
                const QString saved = dir.filePath("window.bmp");
                dialog->answers.emplace_back(saved);
                QTest::mouseClick(form->img[pane], Qt::LeftButton);
                const QString name = pictureFileName(std::size_t(row), form->pictures[std::size_t(row)].name,
                                                     pane == 0 ? "old" : "new", "bmp");
                const QByteArray window = readBytes(saved);
                ASSERT_FALSE(window.isEmpty()) << name.toStdString();
                EXPECT_TRUE(window == readBytes(out + "/open/" + name))
                    << name.toStdString() << " " << transparent[option];
            }
        }
    }
}

}  // namespace
}  // namespace hexpane::test
