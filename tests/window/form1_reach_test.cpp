// Every action within reach: the save icons can be clicked wherever they show,
// at every picture height, above the lower column without taking an option's
// or a button's place; and the keyboard reaches every action, the save icons
// with a visible focus mark.
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QStyleOptionButton>

#include <functional>

#include "window/pane.h"
#include "window/save_icon.h"
#include "window_fixture.h"

namespace hexpane::test {
namespace {

// One picture a height, one pixel wide: the places of the icons and panes
// depend on the height alone.
constexpr int kHeights[] = {1, 87, 180, 190, 192, 200, 208, 220, 240, 260, 270, 300, 310, 320, 324, 400, 8192};

class Reaching : public WindowTest {
protected:
    void SetUp() override {
        std::string sizes, patch;
        for (const int h : kHeights) {
            sizes += "1," + std::to_string(h) + "\r\n";
            patch += "##### Picture h" + std::to_string(h) + "\r\n; Picture Data\r\n1: " + std::string(2 * h, 'A') +
                     " " + std::string(2 * h, 'F') + "\r\n";
        }
        open(kTestMap, sizes);
        load(patch);
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }

    // Where a click on a control's caption lands, in the window.
    QPoint captionOf(QWidget* control) const {
        QRect caption = control->rect();
        if (auto* button = qobject_cast<QAbstractButton*>(control); button && button != form->cmdLoad) {
            QStyleOptionButton option;
            option.initFrom(button);
            option.text = button->text();
            const bool radio = qobject_cast<QRadioButton*>(button) != nullptr;
            caption = button->style()->subElementRect(
                radio ? QStyle::SE_RadioButtonContents : QStyle::SE_CheckBoxContents, &option, button);
        }
        return control->mapTo(form.get(), caption.center());
    }
};

TEST_F(Reaching, SaveIconsTakeTheirClicksWhereverTheyShowAndCaptionsTheirs) {
    const QRect window = form->rect();
    for (std::size_t row = 0; row < std::size(kHeights); ++row) {
        select(int(row));
        for (const bool framed : {true, false}) {
            if (form->chk->isChecked() != framed) QTest::mouseClick(form->chk, Qt::LeftButton);
            SCOPED_TRACE(testing::Message() << "1x" << kHeights[row] << (framed ? " framed" : " unframed"));
            ASSERT_TRUE(form->img[1]->isVisible());
            for (SaveIcon* icon : form->img) {
                const QRect shown = icon->geometry() & window;
                for (int y = shown.top(); y <= shown.bottom(); ++y) {
                    for (int x = shown.left(); x <= shown.right(); ++x)
                        ASSERT_EQ(form->childAt(x, y), icon) << "at " << x << "," << y;
                }
            }
            for (QWidget* control : {static_cast<QWidget*>(form->opt[0]), static_cast<QWidget*>(form->opt[1]),
                                     static_cast<QWidget*>(form->opt[2]), static_cast<QWidget*>(form->chk),
                                     static_cast<QWidget*>(form->cmdLoad)}) {
                QWidget* hit = form->childAt(captionOf(control));
                EXPECT_TRUE(hit == control || control->isAncestorOf(hit)) << control->metaObject()->className();
            }
        }
    }
}

TEST_F(Reaching, TabVisitsEveryActionAndNoPane) {
    select(0);
    form->lst->setFocus();
    const QList<QWidget*> expected = {form->cmdLoad, form->img[0], form->img[1], form->chk, form->opt[0], form->lst};
    QList<QWidget*> visited;
    for (qsizetype k = 0; k < expected.size(); ++k) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget();
    }
    EXPECT_EQ(visited, expected);
    for (Pane* pane : form->pic) EXPECT_EQ(pane->focusPolicy(), Qt::NoFocus);
}

TEST_F(Reaching, AFocusedSaveIconShowsAMark) {
    select(0);
    for (SaveIcon* icon : form->img) {
        form->lst->setFocus();
        const QImage plain = icon->grab().toImage();
        icon->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(icon->hasFocus());
        EXPECT_NE(icon->grab().toImage(), plain);
    }
}

TEST_F(Reaching, SpaceOrEnterOnASaveIconSavesItsPane) {
    select(1);  // 1 × 87: the old pane red, the new one white
    const struct {
        std::size_t icon;
        Qt::Key key;
    } cases[] = {{0, Qt::Key_Space}, {1, Qt::Key_Space}, {0, Qt::Key_Return}, {1, Qt::Key_Enter}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "icon " << c.icon << ", key " << c.key);
        const QString target = dir.filePath(QStringLiteral("saved%1.bmp").arg(c.key));
        dialog->answers.emplace_back(target);
        form->img[c.icon]->setFocus(Qt::TabFocusReason);
        QTest::keyClick(form->img[c.icon], c.key);
        ASSERT_TRUE(dialog->calls.back().save);
        const QImage saved(target);
        EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB32), form->pic[c.icon]->image());
    }
}

TEST_F(Reaching, TheKeyboardChangesTheOptionsAndTheFrame) {
    select(0);  // 1 × 1 of code FF: nothing to do with C0, but every change redraws
    const struct {
        const char* what;
        QWidget* focus;
        Qt::Key key;
        std::function<bool()> done;
    } cases[] = {
        {"Down on the first option", form->opt[0], Qt::Key_Down, [&] { return form->opt[1]->isChecked(); }},
        {"Down on the second option", form->opt[1], Qt::Key_Down, [&] { return form->opt[2]->isChecked(); }},
        {"Space on the border box", form->chk, Qt::Key_Space, [&] { return form->pic[0]->frameWidth() == 0; }},
    };
    for (const auto& c : cases) {
        c.focus->setFocus(Qt::TabFocusReason);
        form->pic[1]->hide();  // shown again only by a redraw
        QTest::keyClick(c.focus, c.key);
        EXPECT_TRUE(c.done()) << c.what;
        EXPECT_TRUE(form->pic[1]->isVisible()) << c.what;
    }
}

}  // namespace
}  // namespace hexpane::test
