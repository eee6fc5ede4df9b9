// The window as a user meets it: start-up states, opening patch files, and
// what a failed open leaves behind.
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <sys/stat.h>

#include "window/pane.h"
#include "window/save_icon.h"
#include "window_fixture.h"

namespace hexpane::test {
namespace {

using Startup = WindowTest;

TEST_F(Startup, WindowIsFixedTitledAndSized) {
    EXPECT_EQ(form->windowTitle(), "hexpane");
    EXPECT_EQ(form->size(), QSize(193, 379));
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    const Qt::WindowFlags flags = form->windowFlags();
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(form->windowIcon().pixmap(32, 32).size(), QSize(32, 32));
}

TEST_F(Startup, ControlsStandWhereTheyBelong) {
    const struct {
        const char* name;
        QWidget* widget;
        QRect geometry;
    } controls[] = {
        {"lst", form->lst, {6, 6, 61, 368}},
        {"img(0)", form->img[0], {78, 27, 11, 11}},
        {"pic(0)", form->pic[0], {78, 42, 19, 19}},
        {"img(1)", form->img[1], {78, 72, 11, 11}},
        {"pic(1)", form->pic[1], {78, 90, 19, 19}},
        {"Frame1", form->Frame1, {78, 246, 109, 73}},
        {"opt(0)", form->opt[0], {6, 18, 97, 13}},
        {"opt(1)", form->opt[1], {6, 36, 97, 13}},
        {"opt(2)", form->opt[2], {6, 54, 97, 13}},
        {"chk", form->chk, {78, 324, 109, 13}},
        {"cmdLoad", form->cmdLoad, {78, 348, 109, 25}},
    };
    for (const auto& control : controls) EXPECT_EQ(control.widget->geometry(), control.geometry) << control.name;
    // The labels size themselves to their text; their corner stays.
    EXPECT_EQ(form->Label1->pos(), QPoint(78, 6));
    EXPECT_EQ(form->lab[0]->pos(), QPoint(93, 26));
    EXPECT_EQ(form->lab[1]->pos(), QPoint(93, 72));
    for (QLabel* label : form->lab) EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
}

TEST_F(Startup, CaptionsAndFirstStates) {
    EXPECT_EQ(form->Label1->text(), "");
    EXPECT_EQ(form->lab[0]->text(), "Старая");
    EXPECT_EQ(form->lab[1]->text(), "Новая");
    EXPECT_EQ(form->Frame1->title(), "Прозрачный цвет");
    EXPECT_EQ(form->opt[0]->text(), "формы");
    EXPECT_EQ(form->opt[1]->text(), "телефона");
    EXPECT_EQ(form->opt[2]->text(), "стандартный");
    EXPECT_EQ(form->chk->text(), "Бордюр");
    EXPECT_EQ(form->cmdLoad->text(), "Открыть");

    EXPECT_EQ(form->lst->count(), 0);
    EXPECT_TRUE(form->opt[0]->isChecked());
    EXPECT_FALSE(form->opt[1]->isChecked());
    EXPECT_FALSE(form->opt[2]->isChecked());
    EXPECT_TRUE(form->chk->isChecked());
    EXPECT_TRUE(form->cmdLoad->isEnabled());
    EXPECT_TRUE(form->Label1->isVisible());
    EXPECT_TRUE(form->Frame1->isVisible());
    for (int i = 0; i < 2; ++i) {
        EXPECT_FALSE(form->pic[i]->isVisible());
        EXPECT_FALSE(form->lab[i]->isVisible());
        EXPECT_FALSE(form->img[i]->isVisible());
        EXPECT_EQ(form->pic[i]->frameWidth(), 1);
    }
    EXPECT_TRUE(messages->shown.empty());
}

TEST_F(Startup, SizeLabelFontIsUnderlinedSmallSans) {
    const QFont font = form->Label1->font();
    EXPECT_TRUE(font.underline());
    EXPECT_DOUBLE_EQ(font.pointSizeF(), 8.25);
    EXPECT_FALSE(font.bold());
    EXPECT_FALSE(form->lab[0]->font().underline());
}

TEST_F(Startup, TabOrderFollowsTheListedControls) {
    const QList<QWidget*> order = {form->lst,    form->cmdLoad, form->pic[0], form->pic[1], form->Label1, form->chk,
                                   form->lab[0], form->lab[1],  form->Frame1, form->opt[0], form->opt[1], form->opt[2]};
    QList<QWidget*> chain;
    for (QWidget* at = form->lst; chain.size() < order.size(); at = at->nextInFocusChain()) {
        if (order.contains(at) && !chain.contains(at)) chain << at;
    }
    EXPECT_EQ(chain, order);
}

TEST_F(Startup, SaveIconsShowTheDiskette) {
    // K black, O olive, S silver, rows from the top.
    const char* rows[] = {"KKKKKKKKKKK", "KOKSSSSSKSK", "KOKSSSSSKKK", "KOKSSSSSKOK", "KOKSSSSSKOK", "KOOKKKKKOOK",
                          "KOOOOOOOOOK", "KOOKKKKKKOK", "KOOKKKSSKOK", "KOOKKKSSKOK", "SKKKKKKKKKK"};
    for (SaveIcon* icon : form->img) {
        const QImage image = icon->pixmap().toImage();
        ASSERT_EQ(image.size(), QSize(11, 11));
        for (int y = 0; y < 11; ++y) {
            for (int x = 0; x < 11; ++x) {
                const QRgb expected = rows[y][x] == 'K'   ? qRgb(0, 0, 0)
                                      : rows[y][x] == 'O' ? qRgb(128, 128, 0)
                                                          : qRgb(192, 192, 192);
                EXPECT_EQ(image.pixel(x, y) | 0xFF000000u, expected) << x << "," << y;
            }
        }
    }
}

using Opening = WindowTest;

constexpr const char* kThreePictures =
    "; sample\r\n##### Picture logo 176x30\r\n; Picture Data\r\n0012A0: 00 A0B1C2D3\r\n"
    "##### Picture clock\r\n; Picture Data\r\n0012B0: A0B1 C2D3FFFF\r\n\r\n; Picture Data\r\n1: 7F\r\n";

TEST_F(Opening, AsksForAPatchFileWithTheOneFilter) {
    form->cd->FileName = "left over";
    load(kThreePictures);
    ASSERT_EQ(dialog->calls.size(), 1u);
    EXPECT_FALSE(dialog->calls[0].save);
    EXPECT_EQ(dialog->calls[0].defaultExt, ".vkp");
    EXPECT_EQ(dialog->calls[0].filter, "*.vkp|*.vkp");
    EXPECT_EQ(dialog->calls[0].fileName, "");
}

TEST_F(Opening, ListsPicturesInFileOrderWithNothingSelected) {
    load(kThreePictures);
    ASSERT_EQ(form->lst->count(), 3);
    ASSERT_EQ(form->pictures.size(), 3u);
    const char* names[] = {"logo", "clock", "clock"};  // a header names every block below it
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(form->lst->text(i), names[i]);
        EXPECT_EQ(form->lst->text(i).toStdString(), form->pictures[std::size_t(i)].name);
    }
    EXPECT_EQ(form->pictures[1].oldHex, "A0B1");
    EXPECT_EQ(form->pictures[1].newHex, "C2D3FFFF");
    EXPECT_TRUE(form->lst->selectedRow() == -1);
    EXPECT_EQ(form->Label1->text(), "");
    EXPECT_TRUE(messages->shown.empty());
}

TEST_F(Opening, ANewFileReplacesTheListAndKeepsTheDrawing) {
    load(kThreePictures);
    select(1);
    ASSERT_TRUE(form->pic[1]->isVisible());
    const QString caption = form->Label1->text();
    load("; Picture Data\r\n1: 00\r\n", "second.vkp");
    ASSERT_EQ(form->lst->count(), 1);
    EXPECT_EQ(form->lst->text(0), "0");
    EXPECT_TRUE(form->lst->selectedRow() == -1);
    EXPECT_TRUE(form->pic[1]->isVisible());
    EXPECT_EQ(form->Label1->text(), caption);
}

TEST_F(Opening, AFileWithoutPicturesEmptiesTheList) {
    load(kThreePictures);
    load("", "empty.vkp");
    EXPECT_EQ(form->lst->count(), 0);
    EXPECT_TRUE(form->pictures.empty());
}

TEST_F(Opening, CancelChangesNothing) {
    load(kThreePictures);
    select(0);
    const QString caption = form->Label1->text();
    dialog->answers.emplace_back(std::nullopt);
    clickOpen();
    EXPECT_EQ(dialog->calls.size(), 2u);
    EXPECT_EQ(form->lst->count(), 3);
    EXPECT_EQ(form->pictures.size(), 3u);
    EXPECT_EQ(form->lst->selectedRow(), 0);
    EXPECT_EQ(form->Label1->text(), caption);
    EXPECT_TRUE(form->pic[0]->isVisible());
    EXPECT_TRUE(messages->shown.empty());
}

TEST_F(Opening, AFileThatCannotBeReadLeavesTheListAsItWas) {
    load(kThreePictures);
    const QString folder = dir.filePath("folder.vkp");
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.vkp"));
    // Files that are no regular file would block the open for ever or never end.
    const QString fifo = dir.filePath("fifo.vkp");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link("/dev/zero", dir.filePath("zero.vkp")));
    ASSERT_TRUE(QFile::link("/dev/urandom", dir.filePath("random.vkp")));
    const struct {
        const char* what;
        QString path;
    } cases[] = {
        {"missing", dir.filePath("gone.vkp")},
        {"a folder", folder},
        {"unreadable contents", "/proc/self/mem"},
        {"a named pipe", fifo},
        {"a link to an endless device", dir.filePath("zero.vkp")},
        {"a link to a random device", dir.filePath("random.vkp")},
    };
    for (const auto& c : cases) {
        messages->shown.clear();
        dialog->answers.emplace_back(c.path);
        clickOpen();
        ASSERT_EQ(messages->shown.size(), 1u) << c.what;
        EXPECT_EQ(messages->shown[0].first, QMessageBox::Critical) << c.what;
        EXPECT_TRUE(messages->shown[0].second.contains(QDir::toNativeSeparators(c.path))) << c.what;
        EXPECT_EQ(form->lst->count(), 3) << c.what;
        EXPECT_EQ(form->pictures.size(), 3u) << c.what;
        EXPECT_EQ(form->lst->text(0), "logo") << c.what;
    }
}

TEST_F(Opening, AFileTooLargeForMemoryIsReportedAndTheListStays) {
    HEXPANE_SKIP_UNDER_ASAN();
    load(kThreePictures);
    const QString path = dir.filePath("huge.vkp");
    writeFile(path, "; Picture Data\r\n1: " + std::string(std::size_t(96) << 20, 'A') + "\r\n");
    dialog->answers.emplace_back(path);

    {
        const MemoryLimit limit(48 << 20);
        clickOpen();
    }

    ASSERT_EQ(messages->shown.size(), 1u);
    EXPECT_EQ(messages->shown[0].first, QMessageBox::Critical);
    EXPECT_TRUE(messages->shown[0].second.contains("memory"));
    EXPECT_EQ(form->lst->count(), 3);
    EXPECT_EQ(form->pictures.size(), 3u);
}

TEST_F(Opening, NamesShowInUtf8OrWindows1251) {
    load(
        "##### Picture Лого\r\n; Picture Data\r\n"
        "##### Picture \xcb\xee\xe3\xee\xf2\xe8\xef\r\n; Picture Data\r\n"
        "##### Picture caf\xc3\xa9\r\n; Picture Data\r\n");
    ASSERT_EQ(form->lst->count(), 3);
    EXPECT_EQ(form->lst->text(0), "Лого");
    EXPECT_EQ(form->lst->text(1), "Логотип");
    EXPECT_EQ(form->lst->text(2), "café");
    EXPECT_EQ(form->pictures[1].name, "\xcb\xee\xe3\xee\xf2\xe8\xef");  // stored as read
}

using Tables = WindowTest;

TEST_F(Tables, MissingTablesAreReportedOnceAndTheWindowGoesOn) {
    open(std::nullopt, std::nullopt);
    ASSERT_EQ(messages->shown.size(), 1u);
    EXPECT_EQ(messages->shown[0].first, QMessageBox::Warning);
    EXPECT_TRUE(messages->shown[0].second.contains("map.txt"));
    EXPECT_TRUE(messages->shown[0].second.contains("size.txt"));
    EXPECT_EQ(form->colours.size(), 0u);
    EXPECT_TRUE(form->sizes.empty());

    load(kThreePictures);
    select(0);
    EXPECT_EQ(form->Label1->text(), "Error");
    EXPECT_EQ(messages->shown.size(), 1u);
}

TEST_F(Tables, RepeatedColourKeysAreReported) {
    open("C0 0000FF\r\nc0 00FF00\r\n", kTestSizes);
    ASSERT_EQ(messages->shown.size(), 1u);
    EXPECT_TRUE(messages->shown[0].second.contains("map.txt"));
    EXPECT_EQ(form->colours.lookup("C0"), 0x0000FFu);  // the first entry stays
}

TEST_F(Tables, TablesThatGiveNothingOrAreNoTextFilesAreReported) {
    using namespace std::string_literals;
    const struct {
        const char* what;
        std::optional<std::string> map, sizes;
        const char* says;
    } cases[] = {
        {"an empty colour table", "", kTestSizes, "map.txt: it gives no colour"},
        {"a size table in UTF-16", kTestMap, "1\0,\0\x31\0\r\0\n\0"s, "size.txt: the file holds NUL bytes"},
        {"a size table without a usable size", kTestMap, "0,5\r\nabc\r\n", "size.txt: it gives no usable size"},
        {"a colour table that is a named pipe", std::nullopt, kTestSizes, "not a regular file"},
    };
    for (const auto& c : cases) {
        open(c.map, c.sizes);
        if (!c.map) {  // a pipe would keep a plain read waiting for a writer for ever
            ASSERT_EQ(mkfifo(QFile::encodeName(dir.filePath("map.txt")).constData(), 0600), 0);
            start();
        }
        ASSERT_EQ(messages->shown.size(), 1u) << c.what;
        EXPECT_EQ(messages->shown[0].first, QMessageBox::Warning) << c.what;
        EXPECT_TRUE(messages->shown[0].second.contains(c.says))
            << c.what << ": " << messages->shown[0].second.toStdString();
    }
}

TEST_F(Tables, GoodTablesAreReadQuietly) {
    EXPECT_TRUE(messages->shown.empty());
    EXPECT_EQ(form->colours.size(), 5u);
    EXPECT_EQ(form->sizes.size(), 4u);
}

}  // namespace
}  // namespace hexpane::test
