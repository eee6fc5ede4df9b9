#include "report/report.h"

#include <QCoreApplication>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <exception>
#include <new>

#include <fcntl.h>
#include <unistd.h>

namespace hexpane {

namespace {

constexpr qsizetype kOutputBuffer = qsizetype{1} << 16;

}  // namespace

Report Report::held() {
    Report report;
    report.holds_ = true;
    return report;
}

void Report::problem(ExitStatus status, const QString& message) {
    status_ = std::max(status_, status);
    if (holds_) {
        lines_.push_back({status, message, false});
        return;
    }
    QString line = message;
    line.replace(u'\n', u' ');
    std::fprintf(stderr, "%s: %s\n", QCoreApplication::applicationName().toLocal8Bit().constData(),
                 line.toLocal8Bit().constData());
}

void Report::plain(const QString& line) {
    if (holds_) {
        lines_.push_back({ExitStatus::Done, line, true});
        return;
    }
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
}

void Report::add(const Report& held) {
    for (const Line& line : held.lines_) {
        if (line.plain) {
            plain(line.message);
        } else {
            problem(line.status, line.message);
        }
    }
}

void Report::stopped(ExitStatus status, const QString& step) noexcept {
    status_ = std::max(status_, status);
    try {
        try {
            throw;
        } catch (const std::bad_alloc&) {
            problem(status, QStringLiteral("There was not enough memory to %1.").arg(step));
        } catch (const std::exception& error) {
            problem(status, QStringLiteral("Could not %1: %2").arg(step, QString::fromLocal8Bit(error.what())));
        }
    } catch (...) {
        // Not even the memory for the message: a fixed line, written as it is.
        std::fputs("There was not enough memory to go on.\n", stderr);
    }
}

bool StandardOutput::write(QByteArrayView bytes) {
    if (failed_) return false;
    buffer_.append(bytes);
    return buffer_.size() < kOutputBuffer || flush();
}

bool StandardOutput::flush() {
    for (qsizetype written = 0; written < buffer_.size();) {
        const ssize_t n = ::write(STDOUT_FILENO, buffer_.constData() + written, std::size_t(buffer_.size() - written));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            fail(n < 0 ? errno : ENOSPC);
            return false;
        }
        written += n;
    }
    buffer_.clear();
    return true;
}

bool StandardOutput::close() {
    if (failed_ || !flush()) return false;
    // A descriptor closed from the start, with nothing to write, is no failure;
    // any other failure here (a file system that writes on close) is.
    if (::close(STDOUT_FILENO) != 0 && errno != EBADF && errno != EINTR) fail(errno);
    return !failed_;
}

void keepStandardStreams() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        // The lowest free number: this one. Read-only, so writes fail with EBADF.
        if (::fcntl(fd, F_GETFD) < 0 && errno == EBADF) ::open("/dev/null", O_RDONLY);
    }
}

void StandardOutput::fail(int error) {
    failed_ = true;
    buffer_.clear();
    report_.problem(ExitStatus::Incomplete,
                    QStringLiteral("Cannot write %1 to standard output: %2").arg(what_, qt_error_string(error)));
}

}  // namespace hexpane
