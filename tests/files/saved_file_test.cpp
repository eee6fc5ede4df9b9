#include <QDir>
#include <QFile>
#include <QImage>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstddef>
#include <optional>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include "as_a_user.h"
#include "drawing/image_file.h"
#include "files/saved_file.h"

namespace hexpane::test {
namespace {

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

void put(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

struct stat statusOf(const QString& path) {
    struct stat status {};
    lstat(QFile::encodeName(path).constData(), &status);
    return status;
}

// Saves bytes in one piece, or gives up after writing them when giveUp.
QString saveBytes(const QString& path, const QByteArray& bytes, Existing existing = Existing::Replace,
                  bool giveUp = false) {
    return saveFile(path, existing, [&](FileSink& sink) {
        return sink.write(bytes.constData(), std::size_t(bytes.size())) && !giveUp;
    });
}

// Pieces of every size around the sink's 64 KiB gathering: the file holds
// their concatenation; a producer that gives up at the end leaves the file as
// it was, with nothing beside it. A name as long as names may be leaves no
// room to make a temporary name from it.
TEST(SaveFile, WritesThePiecesInOrderOrLeavesTheOldFile) {
    QTemporaryDir dir;
    const std::vector<std::vector<std::size_t>> cases = {
        {}, {1, 2, 3}, {65535, 1, 65536, 7}, {300000}, std::vector<std::size_t>(500, 999)};
    for (std::size_t c = 0; c < cases.size(); ++c) {
        const QString path = dir.filePath(QString(NAME_MAX - 1, u'n') + QString::number(c));  // the longest name
        QByteArray expected;
        const auto produce = [&](FileSink& sink) {
            for (const std::size_t size : cases[c]) {
                QByteArray piece(qsizetype(size), '\0');
                for (auto& byte : piece) byte = char(QRandomGenerator::global()->generate());
                expected += piece;
                if (!sink.write(piece.constData(), size)) return false;
            }
            return true;
        };
        ASSERT_EQ(saveFile(path, Existing::Keep, produce), QString()) << c;
        EXPECT_EQ(contents(path), expected) << c;
        const QByteArray saved = expected;
        const QString error = saveFile(path, Existing::Replace, [&](FileSink& sink) {
            return produce(sink) && sink.fail(QStringLiteral("given up"));
        });
        EXPECT_TRUE(error.contains(path) && error.endsWith("given up")) << error.toStdString();
        EXPECT_EQ(contents(path), saved) << c;
        EXPECT_EQ(entries(dir.path()).size(), qsizetype(c + 1)) << c;
    }
}

// A symbolic link at the target's name is a name: kept with Keep, replaced by
// a regular file with Replace; what it points to is never written or created.
TEST(SaveFile, ASymbolicLinkIsANameNeverAWay) {
    QTemporaryDir dir;
    put(dir.filePath("victim"), "precious");
    const struct {
        const char* pointsTo;
        Existing existing;
    } cases[] = {{"victim", Existing::Keep},
                 {"absent", Existing::Keep},
                 {"victim", Existing::Replace},
                 {"absent", Existing::Replace}};
    for (const auto& c : cases) {
        const QString link = dir.filePath("link");
        QFile::remove(link);
        ASSERT_TRUE(QFile::link(c.pointsTo, link));
        const QString error = saveBytes(link, "new", c.existing);
        const bool kept = c.existing == Existing::Keep;
        EXPECT_EQ(error.isEmpty(), !kept) << c.pointsTo << error.toStdString();
        EXPECT_EQ(S_ISLNK(statusOf(link).st_mode), kept) << c.pointsTo;
        if (!kept) {
            EXPECT_EQ(contents(link), "new") << c.pointsTo;
        }
        EXPECT_EQ(contents(dir.filePath("victim")), "precious") << c.pointsTo;
        EXPECT_FALSE(QFile::exists(dir.filePath("absent"))) << c.pointsTo;
    }
}

// A file that grants no one write permission is refused for root too, as is
// one this user may not write; a replaced file keeps its mode and owner.
TEST(SaveFile, ReplacedFilesKeepModeAndOwnerAndReadOnlyOnesStay) {
    QTemporaryDir dir;
    const mode_t mask = umask(022);
    const struct {
        mode_t mode;
        bool asAUser;  // and owned by someone else
        bool replaced;
    } cases[] = {{0640, false, true},  {0604, false, true}, {0200, false, true}, {0444, false, false},
                 {0000, false, false}, {0644, true, false}, {0666, true, true}};
    for (const auto& c : cases) {
        if (c.asAUser && geteuid() != 0) continue;  // the file is then this user's own
        const QString path = dir.filePath(QString::number(c.mode, 8) + (c.asAUser ? "-other" : ""));
        put(path, "old");
        ASSERT_EQ(chmod(QFile::encodeName(path).constData(), c.mode), 0);
        const uid_t owner = geteuid() == 0 ? 65534 : geteuid();
        ASSERT_EQ(chown(QFile::encodeName(path).constData(), owner, owner), 0);
        std::optional<WithoutPermissionOverride> asAUser;
        if (c.asAUser) asAUser.emplace();
        const QString error = saveBytes(path, "new");
        asAUser.reset();
        EXPECT_EQ(error.isEmpty(), c.replaced) << c.mode << error.toStdString();
        EXPECT_EQ(contents(path), c.replaced ? "new" : "old") << c.mode;
        EXPECT_TRUE(c.replaced || error.contains("read-only")) << c.mode << error.toStdString();
        EXPECT_EQ(statusOf(path).st_mode & 07777, c.mode) << c.mode;
        EXPECT_EQ(statusOf(path).st_uid, owner) << c.mode;
    }
    umask(mask);
    EXPECT_EQ(entries(dir.path()).size(), qsizetype(std::size(cases)) - (geteuid() == 0 ? 0 : 2));
}

// In a folder that allows no new file, an existing file is written in place:
// whole, or, when it cannot be (a file-size limit, a producer that gives up),
// left byte for byte as it was.
TEST(SaveFile, WrittenInPlaceWholeOrNotAtAll) {
    QTemporaryDir dir;
    const QString folder = dir.filePath("closed");
    const QString path = folder + "/file";
    const QByteArray old(5000, 'o');
    const struct {
        qsizetype size;
        rlim_t limit;
        bool giveUp;
        const char* says;  // nullptr: saved
    } cases[] = {{9000, RLIM_INFINITY, false, nullptr},
                 {100, RLIM_INFINITY, false, nullptr},
                 {9000, 6000, false, "File too large"},
                 {9000, RLIM_INFINITY, true, "given up"}};
    for (const auto& c : cases) {
        ASSERT_TRUE(QDir(folder).removeRecursively() && QDir(dir.path()).mkdir("closed"));
        put(path, old);
        ASSERT_EQ(chmod(QFile::encodeName(folder).constData(), 0555), 0);
        const QByteArray bytes(c.size, 'n');
        QString error;
        {
            const WithoutPermissionOverride asAUser;
            const FileSizeLimit limit(c.limit);
            error = saveBytes(path, bytes, Existing::Replace, c.giveUp);
        }
        chmod(QFile::encodeName(folder).constData(), 0755);
        EXPECT_EQ(contents(path), c.says ? old : bytes) << c.size << error.toStdString();
        EXPECT_EQ(error.isEmpty(), !c.says) << error.toStdString();
        EXPECT_TRUE(!c.says || error.contains(c.says)) << error.toStdString();
        EXPECT_EQ(entries(folder), QStringList{"file"});
    }
}

// Makes this process's kernel refuse O_TMPFILE, as file systems without it do.
bool refuseUnnamedFiles() {
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_openat, 0, 3),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, args[2])),
        BPF_JUMP(BPF_JMP | BPF_JSET | BPF_K, O_TMPFILE & ~O_DIRECTORY, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EOPNOTSUPP),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    const sock_fprog program{static_cast<unsigned short>(std::size(filter)), filter};
    return prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 && prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

// A process that saves large images from two threads, new files and
// replacements, until a signal ends it. It writes a byte to ready once its
// first file is saved.
[[noreturn]] void saveUntilEnded(const QString& folder, bool named, int ready) {
    if (named && !refuseUnnamedFiles()) _exit(2);
    finishSavesOnSignals();
    QImage image(700, 500, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    const auto saving = [&](int thread) {
        for (int i = 0;; ++i) saveImage(image, QStringLiteral("%1/%2-%3.bmp").arg(folder).arg(thread).arg(i % 3));
    };
    std::jthread other(saving, 1);
    if (!saveImage(image, folder + "/0-0.bmp").isEmpty() || write(ready, "r", 1) != 1) _exit(3);
    saving(0);
    _exit(0);
}

// Ended by SIGTERM, SIGINT or SIGHUP at any moment, a save leaves no
// temporary file, and every file present is whole, with or without O_TMPFILE.
TEST(SaveFile, NoTemporaryFileOutlivesASignal) {
    for (const bool named : {false, true}) {
        QTemporaryDir dir;
        for (int round = 0; round < 24; ++round) {
            const int signal = std::array{SIGTERM, SIGINT, SIGHUP}[std::size_t(round % 3)];
            int ready[2];
            ASSERT_EQ(pipe(ready), 0);
            const pid_t child = fork();
            ASSERT_GE(child, 0);
            if (child == 0) saveUntilEnded(dir.path(), named, ready[1]);
            close(ready[1]);
            pollfd started{ready[0], POLLIN, 0};
            ASSERT_EQ(poll(&started, 1, 60'000), 1);
            close(ready[0]);
            // The stimulus, not a wait for a state: a random moment of the saves.
            std::this_thread::sleep_for(std::chrono::microseconds(QRandomGenerator::global()->bounded(40'000)));
            kill(child, signal);
            int status = 0;
            ASSERT_EQ(waitpid(child, &status, 0), child);
            ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << named << " " << status;
        }
        const QStringList left = entries(dir.path());
        EXPECT_FALSE(left.isEmpty()) << named;
        for (const QString& name : left) {
            EXPECT_TRUE(QRegularExpression("^[01]-[012]\\.bmp$").match(name).hasMatch()) << name.toStdString();
            EXPECT_EQ(QImage(dir.filePath(name)).size(), QSize(700, 500)) << name.toStdString();
        }
    }
}

}  // namespace
}  // namespace hexpane::test
