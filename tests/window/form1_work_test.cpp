// Long work off the window's thread: an open that reads slowly shows its
// progress after half a second, leaves the window answering, and cancels
// with nothing changed; one that completes has the usual outcome.
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>

#include "window/long_work.h"
#include "window/pane.h"
#include "window_fixture.h"

namespace hexpane::test {
namespace {

constexpr const char* kTwoPictures =
    "##### Picture one\r\n; Picture Data\r\n1: A0B1C2D3 C2D3FFFF\r\n"
    "##### Picture two\r\n; Picture Data\r\n1: FF0000FF 00FFFF00\r\n";

class SlowOpen : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        load(kTwoPictures);
        select(1);
        form->beforeStep = [this] { gate.wait(); };  // the reader's chunks grow from a few kilobytes
        // Three chunks of a megabyte and some: one picture
        slow = dir.filePath("slow.vkp");
        writeFile(slow, "; Picture Data\r\n1: " + std::string(std::size_t(3) << 20, 'F') + "\r\n");
        dialog->answers.emplace_back(slow);
        QTest::mouseClick(form->cmdLoad, Qt::LeftButton);  // returns while the read waits at the gate
    }
    void TearDown() override { gate.open(); }

    ProgressDialog* shownProgress() {
        return eventually([&] { return form->work()->dialog() != nullptr && form->work()->dialog()->isVisible(); })
                   ? form->work()->dialog()
                   : nullptr;
    }

    Gate gate{10};
    QString slow;
};

TEST_F(SlowOpen, ShowsTheBytesReadAndCancelsWithNothingChanged) {
    ProgressDialog* progress = shownProgress();
    ASSERT_NE(progress, nullptr);
    EXPECT_TRUE(form->busy());
    const QString text = progress->findChild<QLabel*>()->text();
    const QRegularExpressionMatch said = QRegularExpression(R"(^Reading (.*)\n(\d+\.\d) MB of 3\.1 MB$)").match(text);
    ASSERT_TRUE(said.hasMatch()) << text.toStdString();
    EXPECT_EQ(said.captured(1), slow);
    EXPECT_GT(said.captured(2).toDouble(), 0);
    EXPECT_GT(progress->findChild<QProgressBar*>()->value(), 0);
    // The window goes on painting while the read waits.
    EXPECT_FALSE(form->grab().isNull());

    QTest::keyClick(progress, Qt::Key_Escape);
    gate.open();
    ASSERT_TRUE(eventually([&] { return !form->busy(); }));
    EXPECT_FALSE(progress->isVisible());
    ASSERT_EQ(form->lst->count(), 2);
    EXPECT_EQ(form->pictures[1].newHex, "00FFFF00");
    EXPECT_EQ(form->lst->selectedRow(), 1);
    EXPECT_TRUE(form->pic[1]->isVisible());
    EXPECT_TRUE(messages->shown.empty());
}

TEST_F(SlowOpen, CompletedReplacesTheListWithNothingSelected) {
    ASSERT_NE(shownProgress(), nullptr);
    gate.open();
    ASSERT_TRUE(eventually([&] { return !form->busy(); }));
    EXPECT_FALSE(form->work()->dialog()->isVisible());
    ASSERT_EQ(form->lst->count(), 1);
    EXPECT_EQ(form->pictures[0].newHex.size(), std::size_t(3) << 20);
    EXPECT_EQ(form->lst->selectedRow(), -1);
    EXPECT_TRUE(form->pic[1]->isVisible());  // the drawing stays until the next selection
    EXPECT_TRUE(messages->shown.empty());
}

TEST_F(SlowOpen, TheCancelButtonCancelsToo) {
    ProgressDialog* progress = shownProgress();
    ASSERT_NE(progress, nullptr);
    QTest::mouseClick(progress->cancelButton(), Qt::LeftButton);
    gate.open();
    ASSERT_TRUE(eventually([&] { return !form->busy(); }));
    EXPECT_EQ(form->lst->count(), 2);
}

}  // namespace
}  // namespace hexpane::test
