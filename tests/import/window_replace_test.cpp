// A picture replaced from an image in the window, and the patch saved, against
// hexpane-import on the same patch, image and option: the same refusals, and
// byte for byte the same patch; the replacement undone; and the question
// before unsaved replacements would be lost, on close and on open.
#include <QLabel>
#include <QRadioButton>

#include <functional>

#include "export/run_export.h"
#include "files/patch_copy.h"
#include "window/long_work.h"
#include "window/pane.h"
#include "window/picture_menu.h"
#include "window/window_fixture.h"

namespace hexpane::test {
namespace {

// 4 × 3 in the test tables; lower-case c0 draws C0's colour under every option.
constexpr const char* kPatch =
    "; two pictures\r\n##### Picture wide\r\n; Picture Data\r\n0100: 000000000000 A0B1C2FFC0B1\r\n"
    "0106: 000000 D3A000\r\n0109: 000000 B1FFFF\r\n\r\n##### Picture small\r\n; Picture Data\r\n0200: 00 A0B1C0FF\r\n";

ExportRun runImport(const QStringList& arguments, const QString& workDir) {
    return runProgram(QStringLiteral(HEXPANE_IMPORT_PROGRAM), arguments, workDir);
}

class Replacing : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        patch = load(kPatch, "patch.vkp");
        select(0);
    }

    // The new pane's image as the window draws it, to edit.
    QImage drawnImage() const { return form->pic[1]->image().convertToFormat(QImage::Format_ARGB32); }

    // Replace picture from image…, with the image chosen in the dialog.
    void replaceFrom(const QString& image) {
        dialog->answers.emplace_back(image);
        fromMenu("Replace picture from image…");
    }

    // Save patch as…, and the wait for the save to end.
    void saveAs(const QString& output) {
        dialog->answers.emplace_back(output);
        form->activateWindow();  // where the user's keys go
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        QTest::keyClick(form.get(), Qt::Key_S, Qt::ControlModifier);
        ASSERT_TRUE(eventually([&] { return !form->busy(); }));
    }

    ExportRun importRun(const QString& image, const QString& output, const QStringList& options) const {
        // The importer names a picture by the index its image's name starts with.
        const QString named = dir.filePath("000-wide-new" + QFileInfo(image).suffix().prepend('.'));
        QFile::remove(named);
        QFile::copy(image, named);
        return runImport(QStringList{"--map", dir.filePath("map.txt"), "--size", dir.filePath("size.txt"), patch, named,
                                     "-o", output}
                             << options,
                         dir.path());
    }

    QString patch;
};

// Each image through the window and through hexpane-import, with each
// transparent colour option: both refuse it for the same reason, or both
// write the same patch.
TEST_F(Replacing, TheSavedPatchIsWhatTheImporterWrites) {
    const QRgb red = qRgb(255, 0, 0), white = qRgb(255, 255, 255);
    const struct {
        const char* what;
        std::function<QImage(QImage)> edit;
        const char* format;
        bool nearest;         // answered yes in the window, --nearest for the importer
        const char* refusal;  // empty: both write
    } cases[] = {
        {"two pixels of known colours",
         [&](QImage image) {
             image.setPixel(0, 0, white);
             image.setPixel(3, 2, red);
             return image;
         },
         "bmp", false, ""},
        {"a colour no code draws, refused",
         [](QImage image) {
             image.setPixel(1, 1, qRgb(250, 10, 10));
             return image;
         },
         "bmp", false, "1 pixel has a colour that no code draws: (1, 1) #FA0A0A."},
        {"a colour no code draws, nearest",
         [](QImage image) {
             image.setPixel(1, 1, qRgb(250, 10, 10));
             image.setPixel(2, 1, qRgb(3, 3, 3));
             return image;
         },
         "bmp", true, ""},
        {"the wrong size", [](const QImage& image) { return image.copy(0, 0, 3, 3); }, "bmp", false,
         "it is 3x3, but picture 000 (wide) is 4x3."},
        {"transparent pixels",
         [](QImage image) {
             image.setPixel(1, 0, qRgba(0, 0, 0, 0));
             image.setPixel(0, 2, qRgba(0, 0, 0, 0));
             return image;
         },
         "png", false, ""},
        {"a partly transparent pixel",
         [](QImage image) {
             image.setPixel(2, 2, qRgba(255, 0, 0, 128));
             return image;
         },
         "png", false, "1 pixel is partly transparent: (2, 2) alpha 128."},
    };
    const char* options[] = {"form", "phone", "standard"};
    for (std::size_t option = 0; option < 3; ++option) {
        QTest::mouseClick(form->opt[option], Qt::LeftButton);
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.what) + ", " + options[option]);
            const QString image = dir.filePath(QString("edited.") + c.format);
            ASSERT_TRUE(c.edit(drawnImage()).save(image));
            const QString byImporter = dir.filePath("imported.vkp"), byWindow = dir.filePath("saved.vkp");
            QFile::remove(byImporter);
            QFile::remove(byWindow);
            QStringList flags = {"--transparent", options[option]};
            if (c.nearest) flags << "--nearest";
            const ExportRun run = importRun(image, byImporter, flags);

            messages->shown.clear();
            messages->answers = {c.nearest ? "Use the nearest colours" : "Cancel"};
            replaceFrom(image);
            if (*c.refusal != '\0') {
                EXPECT_NE(run.status, 0);
                EXPECT_TRUE(run.err.contains(c.refusal)) << run.err.toStdString();
                EXPECT_FALSE(form->replacements.any());
                if (!messages->shown.empty()) {  // a refusal, not a question declined
                    EXPECT_TRUE(messages->shown.back().second.contains(c.refusal))
                        << messages->shown.back().second.toStdString();
                }
                continue;
            }
            ASSERT_EQ(run.status, 0) << run.err.toStdString();
            ASSERT_TRUE(form->replacements.replaced(0))
                << (messages->shown.empty() ? "" : messages->shown.back().second.toStdString());
            EXPECT_EQ(form->lst->text(0), "• wide");
            saveAs(byWindow);
            EXPECT_TRUE(messages->shown.empty()) << messages->shown.back().second.toStdString();
            EXPECT_TRUE(readBytes(byWindow) == readBytes(byImporter));
            form->menu()->undo->trigger();
            EXPECT_FALSE(form->replacements.any());
        }
    }
}

// A picture the size table gives no size takes an image of any width and
// height whose product is its pixel count, as the importer takes it, whatever
// size it is drawn at; another count is refused for the importer's reason.
TEST_F(Replacing, APictureWithoutASizeTakesAnyShapeOfItsPixelCount) {
    load("; Picture Data\r\n0300: 000000000000 000000000000\r\n", "six.vkp");
    select(0);
    ASSERT_EQ(form->Label1->text(), "Error");
    const QRgb colours[] = {qRgb(0, 255, 0), qRgb(255, 255, 255), qRgb(0, 0, 0)};
    for (const QSize shape : {QSize(3, 2), QSize(6, 1), QSize(1, 6), QSize(4, 2)}) {
        SCOPED_TRACE(std::to_string(shape.width()) + "x" + std::to_string(shape.height()));
        QImage image(shape, QImage::Format_RGB32);
        for (int k = 0; k < shape.width() * shape.height(); ++k)
            image.setPixel(k % shape.width(), k / shape.width(), colours[k % 3]);
        const QString file = dir.filePath("six.bmp");
        ASSERT_TRUE(image.save(file));
        messages->shown.clear();
        replaceFrom(file);
        if (shape == QSize(4, 2)) {
            ASSERT_EQ(messages->shown.size(), 1u);
            EXPECT_TRUE(messages->shown[0].second.contains("it is 4x2, but picture 000 (0) has no size in size.txt"))
                << messages->shown[0].second.toStdString();
            EXPECT_FALSE(form->replacements.any());
            continue;
        }
        EXPECT_TRUE(messages->shown.empty()) << messages->shown.back().second.toStdString();
        EXPECT_EQ(form->newHex(0), "B1FF00B1FF00");  // row by row, whatever the width
        fromMenu("Undo replacement");
    }
}

TEST_F(Replacing, UndoBringsTheTextBeforeBack) {
    const QString first = dir.filePath("first.bmp"), second = dir.filePath("second.bmp");
    QImage image = drawnImage();
    image.setPixel(0, 0, qRgb(255, 255, 255));
    ASSERT_TRUE(image.save(first));
    image.setPixel(1, 0, qRgb(0, 0, 0));
    ASSERT_TRUE(image.save(second));
    const QImage original = form->pic[1]->image();
    replaceFrom(first);
    const QImage once = form->pic[1]->image();
    replaceFrom(second);
    EXPECT_EQ(form->pictures[0].newHex, "A0B1C2FFC0B1D3A000B1FFFF");  // the texts read stay as read
    EXPECT_EQ(form->newHex(0), "FF00C2FFC0B1D3A000B1FFFF");
    fromMenu("Undo replacement");
    EXPECT_EQ(form->pic[1]->image(), once);
    fromMenu("Undo replacement");
    EXPECT_EQ(form->pic[1]->image(), original);
    EXPECT_EQ(form->lst->text(0), "wide");
    QMenu* menu = (form->lst->setFocus(), QTest::keyClick(form->lst, Qt::Key_F10, Qt::ShiftModifier), popup());
    ASSERT_NE(menu, nullptr);
    EXPECT_FALSE(entry(menu, "Undo replacement")->isEnabled());
    menu->close();
}

class Unsaved : public Replacing {
protected:
    void SetUp() override {
        Replacing::SetUp();
        QImage image = drawnImage();
        image.setPixel(0, 0, qRgb(255, 255, 255));
        ASSERT_TRUE(image.save(dir.filePath("edited.bmp")));
        replaceFrom(dir.filePath("edited.bmp"));
        ASSERT_TRUE(form->replacements.unsaved());
    }
};

TEST_F(Unsaved, ClosingAsksAndCancelKeepsTheWindow) {
    messages->answers.emplace_back("Cancel");
    EXPECT_FALSE(form->close());
    ASSERT_EQ(messages->asked.size(), 1u);
    EXPECT_EQ(messages->asked[0].answers, QStringList({"Save", "Discard", "Cancel"}));
    EXPECT_TRUE(form->isVisible());
    messages->answers.emplace_back("Discard");
    EXPECT_TRUE(form->close());
}

TEST_F(Unsaved, SavingFirstThenCloses) {
    messages->answers.emplace_back("Save");
    dialog->answers.emplace_back(dir.filePath("kept.vkp"));
    form->close();
    ASSERT_TRUE(eventually([&] { return !form->isVisible(); }));
    EXPECT_TRUE(QFile::exists(dir.filePath("kept.vkp")));
}

TEST_F(Unsaved, ASaveCancelledWhileThePatchIsReadWritesNothing) {
    Gate gate{0};
    form->beforeStep = [&] { gate.wait(); };
    dialog->answers.emplace_back(dir.filePath("cancelled.vkp"));
    form->menu()->save->trigger();
    ASSERT_TRUE(form->busy());
    form->work()->cancel();
    gate.open();
    ASSERT_TRUE(eventually([&] { return !form->busy(); }));
    EXPECT_FALSE(QFile::exists(dir.filePath("cancelled.vkp")));
    EXPECT_TRUE(form->replacements.unsaved());
    EXPECT_TRUE(messages->shown.empty());
}

TEST_F(Unsaved, OpeningAnotherAsksAndCancelOpensNothing) {
    messages->answers.emplace_back("Cancel");
    load("; Picture Data\r\n1: 00\r\n", "other.vkp");
    EXPECT_EQ(form->lst->count(), 2);
    EXPECT_TRUE(form->replacements.any());
    messages->answers.emplace_back("Discard");
    load("; Picture Data\r\n1: 00\r\n", "other.vkp");
    EXPECT_EQ(form->lst->count(), 1);
    EXPECT_FALSE(form->replacements.any());
    EXPECT_EQ(messages->asked.size(), 2u);
}

TEST_F(Unsaved, SavedOverThePatchItselfItBecomesWhatWasRead) {
    const QByteArray before = readBytes(patch);
    saveAs(patch);
    ASSERT_TRUE(messages->shown.empty()) << messages->shown.back().second.toStdString();
    EXPECT_NE(readBytes(patch), before);
    EXPECT_FALSE(form->replacements.any());
    EXPECT_EQ(form->lst->text(0), "wide");
    EXPECT_EQ(form->pictures[0].newHex, "FFB1C2FFC0B1D3A000B1FFFF");
    saveAs(dir.filePath("again.vkp"));  // the patch as it now is
    EXPECT_TRUE(messages->shown.empty()) << messages->shown.back().second.toStdString();
    EXPECT_TRUE(readBytes(dir.filePath("again.vkp")) == readBytes(patch));
    EXPECT_TRUE(form->close());  // nothing left unsaved
}

TEST_F(Unsaved, APatchChangedMeanwhileIsNotSaved) {
    writeFile(patch, std::string(kPatch).replace(std::string(kPatch).find("D3A0"), 4, "D3A1"));
    saveAs(dir.filePath("out.vkp"));
    ASSERT_EQ(messages->shown.size(), 1u);
    EXPECT_TRUE(messages->shown[0].second.contains(patchChangedText()));
    EXPECT_FALSE(QFile::exists(dir.filePath("out.vkp")));
    EXPECT_TRUE(form->replacements.unsaved());
}

}  // namespace
}  // namespace hexpane::test
