// The context menu as a user reaches it, by the mouse and by the keyboard:
// its entries and which are greyed, the sizes it offers and what choosing one
// draws, Copy picture, and its words in Russian.
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QPushButton>

#include "picture/size_guess.h"
#include "window/pane.h"
#include "window/picture_list.h"
#include "window/picture_menu.h"
#include "window/translation.h"
#include "window_fixture.h"

namespace hexpane::test {
namespace {

// 12 pixels, which the table draws 4 × 3 and also lists 3 × 4 for; 7 pixels,
// which it has no size for; 4 pixels.
constexpr const char* kPatch =
    "##### Picture twelve\r\n; Picture Data\r\n1: 000000000000000000000000 A0B1C2D3A0B1C2D3A0B1C2D3\r\n"
    "##### Picture seven\r\n; Picture Data\r\n1: 00000000000000 A0A0A0B1B1B1C0\r\n"
    "##### Picture four\r\n; Picture Data\r\n1: A0B1C2D3\r\n";
enum Row { kTwelve, kSeven, kFour };

class Menu : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        load(kPatch);
    }

    // A right click on a point of the window, delivered as the window system delivers it.
    QMenu* rightClick(QWidget* widget, QPoint at) {
        QTest::mouseClick(form->windowHandle(), Qt::RightButton, {}, widget->mapTo(form.get(), at));
        return popup();
    }
    QMenu* rightClickRow(int row) {
        const QRect item = form->lst->visualRect(form->lst->model()->index(row, 0));
        return rightClick(form->lst->viewport(), item.center());
    }

    // The submenu of sizes, opened by the keyboard from the menu.
    static QMenu* sizes(QMenu* menu) {
        menu->setActiveAction(menu->actions().constFirst());
        QTest::keyClick(menu, Qt::Key_Right);
        return popup();
    }

    // The new pane against drawPane at size.
    void expectDrawnAt(PictureSize size, int row) const {
        const QImage drawn = drawPane(form->newHex(std::size_t(row)), size, form->colours, TransparentColour::Form,
                                      form->pic[1]->palette());
        EXPECT_EQ(form->pic[1]->image(), drawn.convertToFormat(form->pic[1]->image().format()));
        EXPECT_EQ(form->pic[1]->drawingSize(), QSize(size.width, size.height));
    }
};

TEST_F(Menu, ARightClickSelectsTheNameAndOffersWhatApplies) {
    QMenu* menu = rightClickRow(kTwelve);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(form->lst->selectedRow(), kTwelve);
    EXPECT_EQ(entries(menu), QStringList({"Guessed sizes", "Replace picture from image…", "Undo replacement (off)",
                                          "Save patch as…", "Export all pictures…", "Copy picture"}));
    QTest::keyClick(menu, Qt::Key_Escape);
    EXPECT_TRUE(eventually([] { return QApplication::activePopupWidget() == nullptr; }));
}

TEST_F(Menu, ShiftF10OpensItOnTheSelectedNameAndBelowTheNamesNothingIsSelected) {
    form->lst->setFocus();
    QTest::keyClick(form->lst, Qt::Key_F10, Qt::ShiftModifier);
    QMenu* menu = popup();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(entries(menu),
              QStringList({"Guessed sizes (off)", "Replace picture from image… (off)", "Undo replacement (off)",
                           "Save patch as…", "Export all pictures…", "Copy picture (off)"}));
    QTest::keyClick(menu, Qt::Key_Escape);
}

TEST_F(Menu, AChosenSizeDrawsAsAKnownSizeDrawsAndHoldsUntilAnotherPicture) {
    QMenu* menu = rightClickRow(kTwelve);
    ASSERT_NE(menu, nullptr);
    QMenu* offered = sizes(menu);
    ASSERT_NE(offered, nullptr);
    // The guesser's sizes, then the table's two for 12 pixels, the one drawn checked.
    const QStringList texts = entries(offered);
    ASSERT_GE(texts.size(), 3);
    EXPECT_EQ(texts.mid(texts.size() - 2), QStringList({"4 × 3", "3 × 4"}));
    EXPECT_TRUE(offered->actions().constLast()->isCheckable());
    choose(offered, "3 × 4");
    EXPECT_EQ(form->Label1->text(), "~3x4");
    expectDrawnAt({3, 4}, kTwelve);
    EXPECT_TRUE(form->pic[0]->isVisible());

    QTest::mouseClick(form->chk, Qt::LeftButton);  // a redraw keeps the choice
    EXPECT_EQ(form->Label1->text(), "~3x4");
    expectDrawnAt({3, 4}, kTwelve);
    select(kFour);
    select(kTwelve);  // another selection forgets it
    EXPECT_EQ(form->Label1->text(), "4x3");
    expectDrawnAt({4, 3}, kTwelve);
}

TEST_F(Menu, APictureWithoutATableSizeIsDrawnAtAGuess) {
    select(kSeven);
    EXPECT_EQ(form->Label1->text(), "Error");
    QMenu* offered = sizes(rightClickRow(kSeven));
    ASSERT_NE(offered, nullptr);
    // The guesser's sizes in its order, and no table section.
    QStringList guessed;
    for (const SizeGuess& guess :
         guessSizes(form->pictures[kSeven].newHex, form->pictures[kSeven].oldHex, form->colours))
        guessed << QString("%1 × %2").arg(guess.size.width).arg(guess.size.height);
    EXPECT_EQ(entries(offered), guessed);
    choose(offered, "1 × 7");
    EXPECT_EQ(form->Label1->text(), "~1x7");
    expectDrawnAt({1, 7}, kSeven);
}

TEST_F(Menu, CopyTakesTheNewPaneOrThePaneRightClicked) {
    select(kTwelve);
    QApplication::clipboard()->clear();
    QTest::keyClick(form.get(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32), form->pic[1]->image());
    QMenu* menu = rightClick(form->pic[0], {2, 2});
    ASSERT_NE(menu, nullptr);
    choose(menu, "Copy picture");
    EXPECT_EQ(QApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32), form->pic[0]->image());
}

TEST(MenuInRussian, TheMenuSpeaksRussianAndTheCaptionsStay) {
    ASSERT_TRUE(installTranslation(QLocale(QLocale::Russian, QLocale::Russia)));
    struct Window : WindowTest {
        void TestBody() override {}
    } window;
    window.SetUp();
    const PictureMenu& menu = *window.form->menu();
    EXPECT_EQ(menu.sizeMenu->title(), "Подобранные размеры");
    EXPECT_EQ(menu.replace->text(), "Заменить картинку изображением…");
    EXPECT_EQ(menu.save->text(), "Сохранить патч как…");
    EXPECT_EQ(window.form->cmdLoad->text(), "Открыть");
    EXPECT_EQ(window.form->chk->text(), "Бордюр");
    EXPECT_FALSE(installTranslation(QLocale::c()));
    EXPECT_EQ(window.form->cmdLoad->text(), "Открыть");
}

}  // namespace
}  // namespace hexpane::test
