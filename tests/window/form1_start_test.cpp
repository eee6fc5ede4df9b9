// Opening a patch without the open dialog: named on the command line or
// dropped onto the window, read exactly as the dialog's choice is; and the
// memory an open frees given back to the system.
#include <QCheckBox>
#include <QDir>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QUrl>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include "files/path_bytes.h"
#include "window_fixture.h"

namespace hexpane::test {
namespace {

constexpr const char* kTwoPictures = "; Picture Data\r\n1: 00\r\n##### Picture logo\r\n; Picture Data\r\n1: FF\r\n";

class Starting : public WindowTest {
protected:
    // The window, started as main() starts it with these arguments after the
    // program's name; the toolkit is left none of them.
    void startWith(std::vector<QByteArray> arguments) {
        std::vector<char*> argv = {program.data()};
        for (QByteArray& argument : arguments) argv.push_back(argument.data());
        int argc = int(argv.size());
        form->startWith(takeCommandLine(argc, argv.data()));
        EXPECT_EQ(argc, 1);
    }
    QByteArray program = "hexpane";
    QByteArray path(const char* name) const { return pathBytes(dir.path()) + '/' + name; }
    // The scratch folder is removed by a name in Qt's text, which cannot spell this one.
    void TearDown() override { ::unlink(path(kNotUtf8).constData()); }
    static constexpr const char* kNotUtf8 = "caf\xe9.vkp";
};

TEST_F(Starting, TheCommandLineOpensItsFileOrSaysWhatIsWrong) {
    for (const char* name : {"patch.vkp", "-dash.vkp", kNotUtf8, "-reverse", "-style=x.vkp"}) {
        std::ofstream(path(name).toStdString(), std::ios::binary) << kTwoPictures;
    }
    ASSERT_EQ(mkfifo(path("fifo.vkp").constData(), 0600), 0);
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));  // names as typed, beside the files
    const struct {
        const char* what;
        std::vector<QByteArray> arguments;
        int listed;
        QMessageBox::Icon icon;  // NoIcon: no message
        QString says;
    } cases[] = {
        {"no argument", {}, 0, QMessageBox::NoIcon, {}},
        {"a patch", {path("patch.vkp")}, 2, QMessageBox::NoIcon, {}},
        {"a name that is no UTF-8, byte for byte", {path(kNotUtf8)}, 2, QMessageBox::NoIcon, {}},
        {"a name after --", {"--", path("-dash.vkp")}, 2, QMessageBox::NoIcon, {}},
        // Names the toolkit would take for its options, were it given them.
        {"-reverse after --", {"--", "-reverse"}, 2, QMessageBox::NoIcon, {}},
        {"-style=x.vkp after --", {"--", "-style=x.vkp"}, 2, QMessageBox::NoIcon, {}},
        {"an empty name", {""}, 0, QMessageBox::Critical, "Cannot read"},
        {"a missing file", {path("gone.vkp")}, 0, QMessageBox::Critical, "Cannot read " + dir.filePath("gone.vkp")},
        {"a named pipe", {path("fifo.vkp")}, 0, QMessageBox::Critical, "not a regular file"},
        {"two files", {path("patch.vkp"), path("-dash.vkp")}, 0, QMessageBox::Warning, "one patch file at a time"},
        {"an unknown option", {"--bogus", path("patch.vkp")}, 0, QMessageBox::Warning, "--bogus"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        start();
        startWith(c.arguments);
        const std::size_t messagesWanted = c.icon == QMessageBox::NoIcon ? 0 : 1;
        ASSERT_TRUE(
            eventually([&] { return form->lst->count() == c.listed && messages->shown.size() == messagesWanted; }));
        EXPECT_EQ(form->lst->selectedRow(), -1);
        EXPECT_EQ(form->Label1->text(), "");
        if (messagesWanted == 0) continue;
        EXPECT_EQ(messages->shown[0].first, c.icon);
        EXPECT_TRUE(messages->shown[0].second.contains(c.says)) << messages->shown[0].second.toStdString();
        EXPECT_TRUE(dialog->calls.empty());
    }
    QDir::setCurrent(before);
}

TEST_F(Starting, ADroppedPatchOpensAndAnythingElseIsRefused) {
    for (const char* name : {"patch.vkp", "upper.VKP", kNotUtf8, "notes.txt"}) {
        std::ofstream(path(name).toStdString(), std::ios::binary) << kTwoPictures;
    }
    const auto file = [&](const char* name) {
        return QUrl(QStringLiteral("file://") + QString::fromLatin1(path(name).toPercentEncoding("/")));
    };
    const struct {
        const char* what;
        QList<QUrl> urls;
        bool opens;
    } cases[] = {
        {"a patch", {file("patch.vkp")}, true},
        {"a patch in capitals", {file("upper.VKP")}, true},
        {"a name that is no UTF-8", {file(kNotUtf8)}, true},
        {"another kind of file", {file("notes.txt")}, false},
        {"two patches", {file("patch.vkp"), file("upper.VKP")}, false},
        {"a patch elsewhere", {QUrl("https://example.org/patch.vkp")}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        load("", "empty.vkp");
        QMimeData data;
        data.setUrls(c.urls);
        QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(form.get(), &enter);
        EXPECT_EQ(enter.isAccepted(), c.opens);
        if (!c.opens) continue;
        QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(form.get(), &drop);
        EXPECT_TRUE(drop.isAccepted());
        EXPECT_TRUE(eventually([&] { return form->lst->count() == 2; }));
        EXPECT_EQ(form->lst->selectedRow(), -1);
    }
    EXPECT_TRUE(messages->shown.empty());
}

std::size_t residentBytes() {
    std::ifstream statm("/proc/self/statm");
    std::size_t size = 0, resident = 0;
    statm >> size >> resident;
    return resident * std::size_t(sysconf(_SC_PAGESIZE));
}

// Many pictures grown line by line fill the heap, and the next patch's
// pictures lie after them; freed, they are given back all the same.
TEST_F(Starting, AnOpenGivesTheMemoryOfThePicturesItReplacedBack) {
    HEXPANE_SKIP_UNDER_ASAN();
    std::string large;
    const std::string line = "0012A0: " + std::string(32, 'A') + " " + std::string(32, 'B') + "\r\n";
    for (int i = 0; i < 20'000; ++i) {
        large += "; Picture Data\r\n";
        for (int k = 0; k < 40; ++k) large += line;
    }
    const QString path = dir.filePath("large.vkp");
    writeFile(path, large);
    std::string().swap(large);
    malloc_trim(0);  // what the test itself freed is not counted
    const std::size_t before = residentBytes();
    dialog->answers.emplace_back(path);
    clickOpen();
    ASSERT_EQ(form->lst->count(), 20'000);
    const std::size_t grown = residentBytes() - before;
    ASSERT_GT(grown, std::size_t(40) << 20);
    load(kTwoPictures, "small.vkp");
    ASSERT_EQ(form->lst->count(), 2);
    // They are given back on a thread of their own.
    const auto kept = [&] { return residentBytes() - std::min(residentBytes(), before); };
    EXPECT_TRUE(eventually([&] { return kept() < grown / 4; }))
        << "grew by " << (grown >> 20) << " MB, kept " << (kept() >> 20) << " MB";
}

}  // namespace
}  // namespace hexpane::test
