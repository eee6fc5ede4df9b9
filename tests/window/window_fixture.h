// A window on the offscreen platform, with its tables in a scratch folder and
// its dialog and message box answered by the test.
#pragma once

#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include "window/picture_list.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include <sys/resource.h>

#include "resource_limits.h"
#include "test_toolkit.h"
#include "window/form1.h"

namespace hexpane::test {

inline void writeFile(const QString& path, const std::string& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes.data(), qint64(bytes.size()));
}

// AddressSanitizer maps its shadow memory far beyond any limit a test could set.
#if defined(__SANITIZE_ADDRESS__)
#define HEXPANE_SKIP_UNDER_ASAN() GTEST_SKIP() << "AddressSanitizer needs more address space than the limit allows"
#else
#define HEXPANE_SKIP_UNDER_ASAN() (void)0
#endif

// Runs the window's events until done() or a deadline only a fault reaches.
inline bool eventually(const std::function<bool()>& done) {
    const QDeadlineTimer deadline(20'000);
    while (!done() && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return done();
}

// Holds the working thread at its step `held` and those after (Form1::beforeStep)
// until opened, or until a deadline only a fault reaches.
class Gate {
public:
    explicit Gate(int held) : held_(held) {}
    void wait() {
        std::unique_lock lock(mutex_);
        if (++steps_ < held_) return;
        changed_.wait_for(lock, std::chrono::seconds(60), [this] { return open_; });
    }
    void open() {
        {
            const std::lock_guard lock(mutex_);
            open_ = true;
        }
        changed_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    const int held_;
    int steps_ = 0;
    bool open_ = false;
};

// The menu that popped up; null when none did.
inline QMenu* popup() {
    QMenu* menu = nullptr;
    eventually([&] { return (menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) != nullptr; });
    return menu;
}

// Each entry's text, "(off)" after one that is greyed.
inline QStringList entries(const QMenu* menu) {
    QStringList texts;
    for (const QAction* action : menu->actions()) {
        if (!action->isSeparator()) texts << action->text() + (action->isEnabled() ? "" : " (off)");
    }
    return texts;
}

inline QAction* entry(const QMenu* menu, const QString& text) {
    for (QAction* action : menu->actions()) {
        if (action->text() == text) return action;
    }
    return nullptr;
}

// A click on the entry of that text.
inline void choose(QMenu* menu, const QString& text) {
    ASSERT_NE(menu, nullptr);
    QAction* action = entry(menu, text);
    ASSERT_NE(action, nullptr) << text.toStdString() << " in " << entries(menu).join(", ").toStdString();
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
}

// map.txt: a few colours that tests can recognise; size.txt: a few sizes.
inline constexpr const char* kTestMap = "00 000000\r\nFF FFFFFF\r\nA0 0000FF\r\nB1 00FF00\r\nC0 FF0000\r\n";
inline constexpr const char* kTestSizes = "2,2\r\n4,3\r\n3,4\r\n101,80\r\n";

class WindowTest : public testing::Test {
public:
    // Builds the window over the given tables (nullopt: that file is missing).
    void open(std::optional<std::string> map = kTestMap, std::optional<std::string> sizes = kTestSizes) {
        ASSERT_TRUE(dir.isValid());
        for (const auto& [name, text] : {std::pair{"map.txt", map}, std::pair{"size.txt", sizes}}) {
            QFile::remove(dir.filePath(name));
            if (text) writeFile(dir.filePath(name), *text);
        }
        start();
    }

    // Builds the window over the tables as they stand in dir.
    void start() {
        auto scripted = std::make_unique<ScriptedDialog>();
        auto recorded = std::make_unique<RecordedMessages>();
        dialog = scripted.get();
        messages = recorded.get();
        form = std::make_unique<Form1>(std::move(scripted), std::move(recorded), dir.path());
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        QCoreApplication::processEvents();
    }

    void SetUp() override { open(); }

    // Writes a patch file into the scratch folder and opens it through cmdLoad.
    QString load(const std::string& patch, const QString& name = QStringLiteral("open.vkp")) {
        const QString path = dir.filePath(name);
        writeFile(path, patch);
        dialog->answers.emplace_back(path);
        clickOpen();
        return path;
    }

    // A click on the open button, and the wait until what it began has ended.
    void clickOpen() {
        QTest::mouseClick(form->cmdLoad, Qt::LeftButton);
        EXPECT_TRUE(eventually([&] { return !form->busy(); }));
    }

    // The list's context menu by the keyboard, and a click on an entry.
    void fromMenu(const QString& text) {
        form->lst->setFocus();
        QTest::keyClick(form->lst, Qt::Key_F10, Qt::ShiftModifier);
        choose(popup(), text);
    }

    void select(int row) {
        const QRect item = form->lst->visualRect(form->lst->model()->index(row, 0));
        QTest::mouseClick(form->lst->viewport(), Qt::LeftButton, {}, item.center());
    }

    QTemporaryDir dir;
    ScriptedDialog* dialog = nullptr;
    RecordedMessages* messages = nullptr;
    std::unique_ptr<Form1> form;
};

}  // namespace hexpane::test
