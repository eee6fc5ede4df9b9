// The exporter's files against the window's: the sample patch, every pane of
// every picture, saved through the save icon and written by hexpane-export
// with its tables beside it, must be the same bytes, and so must the window's
// Export all; and the colours the exporter gives the system colours must be
// the ones the window shows.
#include <QDir>
#include <QRadioButton>

#include <map>

#include "drawing/system_colours.h"
#include "export/picture_files.h"
#include "run_export.h"
#include "text/picture_file_names.h"
#include "window/long_work.h"
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

// Every file of folder (its names and bytes), and only those.
std::map<QString, QByteArray> filesIn(const QString& folder) {
    std::map<QString, QByteArray> files;
    for (const QString& name :
         QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        files[name] = readBytes(folder + u'/' + name);
    return files;
}

class ExportAll : public MatchesTheWindow {
protected:
    void SetUp() override {
        MatchesTheWindow::SetUp();
        patch = load(sourceFile("examples/sample.vkp"));
        QTest::mouseClick(form->opt[1], Qt::LeftButton);  // the phone's colour, as --transparent phone
        const ExportRun run = runExport({"--transparent", "phone", "-o", dir.filePath("cli"), patch}, dir.path());
        ASSERT_EQ(run.status, 0) << run.err.toStdString();
    }

    // Export all into folder, chosen in the folder dialog.
    void exportAll(const QString& folder) {
        dialog->answers.emplace_back(folder);
        fromMenu("Export all pictures…");
        ASSERT_TRUE(eventually([&] { return !form->busy(); }));
    }

    QString patch;
};

TEST_F(ExportAll, WritesWhatTheExporterWrites) {
    exportAll(dir.filePath("window"));
    EXPECT_TRUE(dialog->calls.back().folder);
    const auto written = filesIn(dir.filePath("window/open"));
    EXPECT_EQ(written.size(), 6u);
    EXPECT_TRUE(written == filesIn(dir.filePath("cli/open")));
    ASSERT_EQ(messages->shown.size(), 1u);
    EXPECT_EQ(messages->shown[0].first, QMessageBox::Information);
    EXPECT_TRUE(messages->shown[0].second.startsWith("6 files written to " + dir.filePath("window/open")));
}

TEST_F(ExportAll, FilesThereAreAskedAboutOnceAndKeptOrReplaced) {
    const QString folder = dir.filePath("window/open");
    exportAll(dir.filePath("window"));
    const auto first = filesIn(folder);
    const QString changed = folder + u'/' + first.begin()->first;
    writeFile(changed, "edited");
    for (const char* answer : {"Keep them", "Replace them"}) {
        messages->answers.emplace_back(answer);
        exportAll(dir.filePath("window"));
        ASSERT_FALSE(messages->asked.empty());
        EXPECT_EQ(messages->asked.back().answers, QStringList({"Replace them", "Keep them", "Cancel"}));
        EXPECT_TRUE(messages->asked.back().text.startsWith("6 of the files to write are in")) << answer;
        EXPECT_EQ(readBytes(changed) == "edited", QString(answer) == "Keep them") << answer;
    }
    EXPECT_EQ(messages->asked.size(), 2u);
    EXPECT_TRUE(filesIn(folder) == first);
}

TEST_F(ExportAll, CancelledBetweenFilesLeavesOnlyWholeOnes) {
    Gate gate(3);  // two pictures pass
    form->beforeStep = [&] { gate.wait(); };
    dialog->answers.emplace_back(dir.filePath("window"));
    fromMenu("Export all pictures…");
    ASSERT_TRUE(eventually([&] { return form->work()->dialog() != nullptr && form->work()->dialog()->isVisible(); }));
    QTest::keyClick(form->work()->dialog(), Qt::Key_Escape);
    gate.open();
    ASSERT_TRUE(eventually([&] { return !form->busy(); }));
    const auto written = filesIn(dir.filePath("window/open"));
    const auto all = filesIn(dir.filePath("cli/open"));
    EXPECT_EQ(written.size(), 4u);
    for (const auto& [name, bytes] : written) EXPECT_TRUE(all.at(name) == bytes) << name.toStdString();
    ASSERT_EQ(messages->shown.size(), 1u);
    EXPECT_TRUE(messages->shown[0].second.contains("cancelled")) << messages->shown[0].second.toStdString();
}

}  // namespace
}  // namespace hexpane::test
