// The Qt file dialog behind the window's dialog interface, driven as a user
// would: type a name, accept or cancel.
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

#include "window/toolkit.h"

namespace hexpane {
namespace {

// Runs answer on the dialog once it is up.
void whenShown(std::function<void(QFileDialog&)> answer) {
    QTimer::singleShot(0, [answer = std::move(answer)] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        answer(*dialog);
    });
}

// Types name into the dialog's file name box and presses Return.
void type(QFileDialog& dialog, const QString& name) {
    auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(edit, nullptr);
    edit->setText(name);
    QTest::keyClick(edit, Qt::Key_Return);
}

class QtDialog : public testing::Test {
protected:
    QTemporaryDir dir;
    QWidget parent;
    QtCommonDialog cd{&parent};
};

TEST_F(QtDialog, SaveOffersTheOneFilterAndAddsTheDefaultExtension) {
    const struct {
        const char* typed;
        const char* saved;
    } cases[] = {{"picture", "picture.bmp"}, {"picture.dib", "picture.dib"}, {"picture.bmp", "picture.bmp"}};
    for (const auto& c : cases) {
        cd.DefaultExt = ".bmp";
        cd.Filter = "*.bmp|*.bmp";
        cd.FileName = dir.filePath("x");
        QStringList filters;
        whenShown([&](QFileDialog& dialog) {
            filters = dialog.nameFilters();
            type(dialog, QString::fromUtf8(c.typed));
        });
        ASSERT_TRUE(cd.ShowSave()) << c.typed;
        EXPECT_EQ(filters, QStringList{"*.bmp (*.bmp)"});
        EXPECT_EQ(cd.FileName, dir.filePath(c.saved)) << c.typed;
    }
}

TEST_F(QtDialog, OpenReturnsTheFullPathOfAnExistingFile) {
    const QString path = dir.filePath("patch.vkp");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    cd.DefaultExt = ".vkp";
    cd.Filter = "*.vkp|*.vkp";
    cd.FileName = dir.filePath("x");
    QStringList filters;
    whenShown([&](QFileDialog& dialog) {
        filters = dialog.nameFilters();
        type(dialog, QStringLiteral("patch.vkp"));
    });
    ASSERT_TRUE(cd.ShowOpen());
    EXPECT_EQ(filters, QStringList{"*.vkp (*.vkp)"});
    EXPECT_EQ(cd.FileName, path);
}

TEST_F(QtDialog, CancelReportsFailureAndKeepsTheName) {
    cd.Filter = "*.vkp|*.vkp";
    cd.FileName = QString();
    whenShown([](QFileDialog& dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); });
    EXPECT_FALSE(cd.ShowOpen());
    EXPECT_EQ(cd.FileName, QString());
}

TEST(DialogFilter, BecomesTheToolkitsNameFilters) {
    EXPECT_EQ(nameFilters("*.vkp|*.vkp"), QStringList{"*.vkp (*.vkp)"});
    EXPECT_EQ(nameFilters("Pictures|*.bmp;*.dib|All|*"), (QStringList{"Pictures (*.bmp *.dib)", "All (*)"}));
    EXPECT_TRUE(nameFilters("").isEmpty());
}

}  // namespace
}  // namespace hexpane
