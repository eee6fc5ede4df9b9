// Selecting a picture: the size caption, the panes' pixels, sizes and places,
// and the options that redraw them.
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <functional>

#include "window/pane.h"
#include "window/save_icon.h"
#include "window_fixture.h"

namespace hexpane::test {
namespace {

// Pictures for the test tables: 2×2 (old bytes shorter than the new), 12 pixels
// (two fitting sizes), 7 pixels (no fitting size), and C0 against c0.
constexpr const char* kPatch =
    "##### Picture square\r\n; Picture Data\r\n1: A0B1 A0B1C2D3\r\n"
    "##### Picture twelve\r\n; Picture Data\r\n1: 000000000000000000000000 FFFFFFFFFFFFFFFFFFFFFFFF\r\n"
    "##### Picture seven\r\n; Picture Data\r\n1: 00000000000000\r\n"
    "##### Picture clear\r\n; Picture Data\r\n1: C0c0C0c0 C0c0FFC0\r\n";
enum Row { kSquare, kTwelve, kSeven, kClear };

class Selecting : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        load(kPatch);
    }

    // The drawing area of pane i as the screen shows it.
    QImage shown(int i) const {
        Pane* pane = form->pic[std::size_t(i)];
        const int b = pane->frameWidth();
        return pane->grab().toImage().copy(b, b, pane->width() - 2 * b, pane->height() - 2 * b);
    }

    QRgb base() const { return form->pic[0]->palette().color(QPalette::Base).rgb(); }
    QRgb face() const { return form->pic[0]->palette().color(QPalette::Window).rgb(); }

    bool groupsVisible(bool visible) const {
        for (int i = 0; i < 2; ++i) {
            if (form->pic[i]->isVisible() != visible || form->lab[i]->isVisible() != visible ||
                form->img[i]->isVisible() != visible)
                return false;
        }
        return true;
    }
};

constexpr QRgb kRed = qRgb(255, 0, 0), kGreen = qRgb(0, 255, 0), kBlue = qRgb(0, 0, 255);
constexpr QRgb kBlack = qRgb(0, 0, 0), kWhite = qRgb(255, 255, 255), kPhone = qRgb(235, 235, 208);

TEST_F(Selecting, DrawsOldAndNewBytesRowByRow) {
    select(kSquare);
    EXPECT_EQ(form->Label1->text(), "2x2");
    ASSERT_TRUE(groupsVisible(true));
    // A0 red, B1 green, C0 the form's face, D3 not in the table: black.
    const QImage pane1 = shown(1);
    ASSERT_EQ(pane1.size(), QSize(2, 2));
    EXPECT_EQ(pane1.pixel(0, 0), kRed);
    EXPECT_EQ(pane1.pixel(1, 0), kGreen);
    EXPECT_EQ(pane1.pixel(0, 1), kBlack);  // C2 is not in the table
    EXPECT_EQ(pane1.pixel(1, 1), kBlack);
    // The old bytes cover only the first row; the rest keeps the background.
    const QImage pane0 = shown(0);
    EXPECT_EQ(pane0.pixel(0, 0), kRed);
    EXPECT_EQ(pane0.pixel(1, 0), kGreen);
    EXPECT_EQ(pane0.pixel(0, 1), base());
    EXPECT_EQ(pane0.pixel(1, 1), base());
    EXPECT_EQ(form->pic[1]->image(), pane1.convertToFormat(form->pic[1]->image().format()));
}

TEST_F(Selecting, PaneSizesAndPlacesFollowTheFrame) {
    const struct {
        bool framed;
        int b;
    } cases[] = {{true, 1}, {false, 0}, {true, 1}};
    select(kTwelve);  // 4 × 3
    for (const auto& c : cases) {
        if (form->chk->isChecked() != c.framed) QTest::mouseClick(form->chk, Qt::LeftButton);
        const int H = 3, W = 4, b = c.b;
        SCOPED_TRACE(c.framed ? "framed" : "unframed");
        EXPECT_EQ(form->pic[0]->geometry(), QRect(78, 42, W + 2 * b, H + 2 * b));
        EXPECT_EQ(form->pic[1]->size(), QSize(W + 2 * b, H + 2 * b));
        EXPECT_EQ(form->lab[1]->y(), H + 2 * b + 52);
        EXPECT_EQ(form->img[1]->y(), H + 2 * b + 53);
        EXPECT_EQ(form->pic[1]->y(), H + 2 * b + 68);
        EXPECT_EQ(shown(1).size(), QSize(W, H));
        EXPECT_EQ(shown(1).pixel(3, 2), kWhite);
        // The first group and every left edge stay.
        EXPECT_EQ(form->lab[0]->pos(), QPoint(93, 26));
        EXPECT_EQ(form->img[0]->pos(), QPoint(78, 27));
        EXPECT_EQ(form->pic[1]->x(), 78);
        EXPECT_EQ(form->lab[1]->x(), 93);
        EXPECT_EQ(form->img[1]->x(), 78);
        EXPECT_EQ(form->size(), QSize(193, 379));
    }
}

TEST_F(Selecting, FrameOfOnePixelSurroundsTheDrawing) {
    select(kSquare);
    const QImage whole = form->pic[1]->grab().toImage();
    ASSERT_EQ(whole.size(), QSize(4, 4));
    const QRgb line = form->pic[1]->palette().color(QPalette::WindowText).rgb();
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(whole.pixel(k, 0), line);
        EXPECT_EQ(whole.pixel(k, 3), line);
        EXPECT_EQ(whole.pixel(0, k), line);
        EXPECT_EQ(whole.pixel(3, k), line);
    }
}

TEST_F(Selecting, TheFirstFittingSizeWins) {
    select(kTwelve);
    EXPECT_EQ(form->Label1->text(), "4x3");  // 4,3 stands before 3,4
}

TEST_F(Selecting, NoFittingSizeShowsErrorAndHidesThePanes) {
    select(kSquare);
    select(kSeven);
    EXPECT_EQ(form->Label1->text(), "Error");
    EXPECT_TRUE(groupsVisible(false));
    select(kSquare);
    EXPECT_EQ(form->Label1->text(), "2x2");
    EXPECT_TRUE(groupsVisible(true));
}

TEST_F(Selecting, TheOptionsRedrawOnlyTheTransparentCode) {
    select(kClear);  // old C0 c0 / C0 c0, new C0 c0 / FF C0
    const struct {
        int option;
        QRgb transparent;
    } cases[] = {{1, kPhone}, {2, kBlue}, {0, 0}};
    for (const auto& c : cases) {
        QTest::mouseClick(form->opt[std::size_t(c.option)], Qt::LeftButton);
        const QRgb transparent = c.option == 0 ? face() : c.transparent;
        SCOPED_TRACE(c.option);
        const QImage old = shown(0), now = shown(1);
        EXPECT_EQ(old.pixel(0, 0), transparent);
        EXPECT_EQ(old.pixel(1, 0), kBlue);  // c0 finds the C0 entry, whatever the option
        EXPECT_EQ(old.pixel(0, 1), transparent);
        EXPECT_EQ(old.pixel(1, 1), kBlue);
        EXPECT_EQ(now.pixel(0, 0), transparent);
        EXPECT_EQ(now.pixel(1, 0), kBlue);
        EXPECT_EQ(now.pixel(0, 1), kWhite);
        EXPECT_EQ(now.pixel(1, 1), transparent);
    }
}

TEST_F(Selecting, OptionsAndFrameWithNothingSelectedHideEverything) {
    select(kSquare);
    const QString caption = form->Label1->text();
    load(kPatch, "again.vkp");  // leaves nothing selected, keeps the drawing
    ASSERT_TRUE(groupsVisible(true));
    QTest::mouseClick(form->chk, Qt::LeftButton);
    EXPECT_TRUE(groupsVisible(false));
    EXPECT_EQ(form->Label1->text(), caption);
    EXPECT_EQ(form->pic[0]->frameWidth(), 0);

    QTest::mouseClick(form->chk, Qt::LeftButton);
    QTest::mouseClick(form->opt[1], Qt::LeftButton);
    EXPECT_TRUE(groupsVisible(false));
}

TEST_F(Selecting, ArrowKeysSelectLikeAClick) {
    select(kSquare);
    form->lst->setFocus();
    QTest::keyClick(form->lst, Qt::Key_Down);
    EXPECT_EQ(form->Label1->text(), "4x3");
    QTest::keyClick(form->lst, Qt::Key_Down);
    EXPECT_EQ(form->Label1->text(), "Error");
    QTest::keyClick(form->lst, Qt::Key_Up);
    EXPECT_EQ(form->Label1->text(), "4x3");
}

TEST_F(Selecting, StrayClicksAndKeysKeepTheSelection) {
    const QPoint below(form->lst->viewport()->width() / 2, form->lst->viewport()->height() - 2);
    const struct {
        const char* what;
        std::function<void()> act;
    } strays[] = {
        {"Ctrl+click on the selected row",
         [&] {
             const QRect row = form->lst->visualRect(form->lst->model()->index(kSquare, 0));
             QTest::mouseClick(form->lst->viewport(), Qt::LeftButton, Qt::ControlModifier, row.center());
         }},
        {"Ctrl+Space", [&] { QTest::keyClick(form->lst, Qt::Key_Space, Qt::ControlModifier); }},
        {"a click below the last row", [&] { QTest::mouseClick(form->lst->viewport(), Qt::LeftButton, {}, below); }},
        {"Ctrl+click below the last row",
         [&] { QTest::mouseClick(form->lst->viewport(), Qt::LeftButton, Qt::ControlModifier, below); }},
    };
    select(kSquare);
    form->lst->setFocus();
    for (const auto& stray : strays) {
        stray.act();
        EXPECT_EQ(form->lst->selectedRow(), kSquare) << stray.what;
        EXPECT_TRUE(groupsVisible(true)) << stray.what;
        EXPECT_EQ(form->Label1->text(), "2x2") << stray.what;
    }
}

TEST(SelectingHugePictures, NotEnoughMemoryToDrawIsReportedAndNothingShows) {
    HEXPANE_SKIP_UNDER_ASAN();
    // A 4096 × 4096 pane is drawn into an image of 64 MiB: no room for the
    // first pane's, then room for the first but not for the second. (Smaller
    // images could be taken from the room the reading thread's heap keeps in
    // reserve, which the limit does not count.)
    const struct {
        const char* what;
        rlim_t spare;
    } cases[] = {{"no room for the first image", 32 << 20}, {"no room for the second image", 96 << 20}};
    for (const auto& c : cases) {
        struct Window : WindowTest {
            void TestBody() override {}
        } window;
        window.open(kTestMap, "4096,4096\r\n");
        window.load("; Picture Data\r\n1: " + std::string(std::size_t(2) * 4096 * 4096, 'F') + "\r\n");
        {
            const MemoryLimit limit(c.spare);
            window.select(0);
        }
        ASSERT_EQ(window.messages->shown.size(), 1u) << c.what;
        EXPECT_EQ(window.messages->shown[0].first, QMessageBox::Critical) << c.what;
        EXPECT_TRUE(window.messages->shown[0].second.contains("4096x4096")) << c.what;
        EXPECT_FALSE(window.form->pic[0]->isVisible()) << c.what;
        EXPECT_FALSE(window.form->pic[1]->isVisible()) << c.what;
        QTest::mouseClick(window.form->chk, Qt::LeftButton);  // with the memory back it draws
        EXPECT_TRUE(window.form->pic[1]->isVisible()) << c.what;
        EXPECT_EQ(window.form->pic[1]->image().size(), QSize(4096, 4096)) << c.what;
    }
}

TEST(SelectingLargePictures, TheLowerColumnStaysAboveThePaneAndTakesItsClicks) {
    struct Window : WindowTest {
        void TestBody() override {}
    } window;
    window.open(kTestMap, "132,176\r\n");
    window.load("; Picture Data\r\n1: " + std::string(2 * 132 * 176, 'F') + "\r\n");
    window.select(0);
    Form1& form = *window.form;
    ASSERT_TRUE(form.pic[1]->isVisible());
    for (QWidget* control : {static_cast<QWidget*>(form.cmdLoad), static_cast<QWidget*>(form.chk),
                             static_cast<QWidget*>(form.opt[0]), static_cast<QWidget*>(form.opt[2])}) {
        const QPoint centre = control->mapTo(&form, control->rect().center());
        ASSERT_TRUE(form.pic[1]->geometry().contains(centre)) << "the pane runs under the lower column";
        QWidget* hit = form.childAt(centre);
        EXPECT_TRUE(hit == control || control->isAncestorOf(hit)) << control->metaObject()->className();
    }
}

// Codes of every kind, the transparent one in both cases and one the table lacks.
std::string codes(std::size_t count, unsigned seed) {
    static constexpr const char* kCodes[] = {"00", "FF", "A0", "B1", "C0", "c0", "ZZ", "D3"};
    std::string hex;
    hex.reserve(2 * count);
    for (std::size_t k = 0; k < count; ++k) {
        seed = seed * 1103515245u + 12345u;
        hex += kCodes[(seed >> 16) % std::size(kCodes)];
    }
    return hex;
}

// A redraw at the same size goes into the images the panes have: no new
// memory, and the same pixels drawPane gives. 1024 × 1024 is drawn in bands on
// every core; the first picture's old bytes end in the middle of a row, on a
// single character.
TEST(Redrawing, ReusesEachPanesImageAndDrawsExactlyAsDrawPane) {
    struct Window : WindowTest {
        void TestBody() override {}
    } window;
    constexpr int kSide = 1024;
    constexpr std::size_t kPixels = std::size_t(kSide) * kSide;
    const PictureRecord first{"first", codes(kPixels / 3, 1) + "A", codes(kPixels, 2)};
    const PictureRecord second{"second", codes(kPixels, 3), codes(kPixels, 4)};
    window.open(kTestMap, "1024,1024\r\n");
    std::string patch;
    for (const PictureRecord& picture : {first, second})
        patch += "; Picture Data\r\n1: " + picture.oldHex + " " + picture.newHex + "\r\n";
    window.load(patch);
    window.select(0);
    Form1& form = *window.form;
    const uchar* bits[2] = {form.pic[0]->image().constBits(), form.pic[1]->image().constBits()};

    const struct {
        const char* what;
        std::function<void()> act;
        const PictureRecord& shown;
    } actions[] = {
        {"the phone's colour", [&] { QTest::mouseClick(form.opt[1], Qt::LeftButton); }, first},
        {"the standard colour", [&] { QTest::mouseClick(form.opt[2], Qt::LeftButton); }, first},
        {"the window's colour", [&] { QTest::mouseClick(form.opt[0], Qt::LeftButton); }, first},
        {"no frame", [&] { QTest::mouseClick(form.chk, Qt::LeftButton); }, first},
        {"the frame again", [&] { QTest::mouseClick(form.chk, Qt::LeftButton); }, first},
        {"another picture", [&] { window.select(1); }, second},
    };
    for (const auto& action : actions) {
        action.act();
        const TransparentColour option = form.opt[0]->isChecked()   ? TransparentColour::Form
                                         : form.opt[1]->isChecked() ? TransparentColour::Phone
                                                                    : TransparentColour::Standard;
        for (std::size_t i = 0; i < 2; ++i) {
            const QImage& image = form.pic[i]->image();
            EXPECT_EQ(image.constBits(), bits[i]) << action.what << ", pane " << i;
            const QImage expected = drawPane(i == 0 ? action.shown.oldHex : action.shown.newHex, {kSide, kSide},
                                             form.colours, option, form.pic[i]->palette());
            EXPECT_TRUE(image == expected) << action.what << ", pane " << i;
        }
    }
}

// Size records whose width or height is no whole number of at least 1 fit no
// picture, so the caption says so instead of drawing nonsense.
TEST(SelectingOddSizes, UnusableWidthsAndHeightsShowError) {
    const struct {
        const char* sizes;
        const char* newHex;  // the product must match its pixel count
        const char* caption;
    } cases[] = {
        {"0,5\r\n", "", "Error"},       {"abc,5\r\n", "", "Error"},       {",\r\n", "", "Error"},
        {"1,0\r\n", "", "Error"},       {"-1,-3\r\n", "FFFFFF", "Error"}, {" 3 , 1 \r\n", "FFFFFF", "3x1"},
        {"1.5,2\r\n", "FFFFFF", "2x2"},
    };
    for (const auto& c : cases) {
        struct Window : WindowTest {
            void TestBody() override {}
        } window;
        window.open(kTestMap, c.sizes);
        window.load(std::string("; Picture Data\r\n1: ") + c.newHex + "\r\n");
        window.select(0);
        EXPECT_EQ(window.form->Label1->text(), c.caption) << c.sizes;
        EXPECT_EQ(window.form->pic[1]->isVisible(), std::string_view(c.caption) != "Error") << c.sizes;
    }
}

}  // namespace
}  // namespace hexpane::test
