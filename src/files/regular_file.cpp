#include "files/regular_file.h"
#include "files/path_bytes.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace hexpane {

namespace {

constexpr std::streamsize kChunk = std::streamsize{1} << 20;

}  // namespace

QString fileKind(unsigned mode) {
    if (S_ISDIR(mode)) return QCoreApplication::translate("RegularFile", "a folder");
    if (S_ISFIFO(mode)) return QCoreApplication::translate("RegularFile", "a named pipe (FIFO)");
    if (S_ISCHR(mode) || S_ISBLK(mode)) return QCoreApplication::translate("RegularFile", "a device");
    if (S_ISSOCK(mode)) return QCoreApplication::translate("RegularFile", "a socket");
    return QCoreApplication::translate("RegularFile", "no regular file");
}

int openRegularFile(const QString& path, QString* error, long long* size) {
    const int fd = ::open(pathBytes(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        *error = qt_error_string(errno);
        return -1;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        *error = qt_error_string(errno);
    } else if (!S_ISREG(status.st_mode)) {
        *error = QCoreApplication::translate("RegularFile", "It is %1, not a regular file, so it was not read.")
                     .arg(fileKind(status.st_mode));
    } else {
        *size = status.st_size;
        return fd;
    }
    ::close(fd);
    return -1;
}

RegularFile::RegularFile(const QString& path, std::uint64_t limit, Digested digested)
    : digester_(digested == Digested::Yes ? std::make_unique<Digester>() : nullptr) {
    long long size = 0;
    fd_ = openRegularFile(path, &error_, &size);
    cut_ = std::uint64_t(size) > limit;
    left_ = cut_ ? static_cast<long long>(limit) : size;
    probed_ = cut_;  // what follows the limit is not looked at
}

FileDigest RegularFile::digest() const {
    if (!digester_) return {};
    return digester_->result(left_ == 0 && probed_ && !grew_ && !cut_ && error_.isEmpty());
}

RegularFile::~RegularFile() {
    if (fd_ >= 0) ::close(fd_);
}

// A regular file never blocks, so O_NONBLOCK changes nothing here. Once the
// size it had when opened is read, one more read tells a clean end from a
// failure (a file whose size says 0, such as /proc/self/mem, may still fail);
// whatever it returns is not used.
std::streamsize RegularFile::readSome(char* to, std::streamsize count) {
    if (!error_.isEmpty() || fd_ < 0) return 0;
    if (left_ == 0) {
        if (probed_) return 0;
        probed_ = true;
        char byte = 0;
        ssize_t got = 0;
        do got = ::read(fd_, &byte, 1);
        while (got < 0 && errno == EINTR);
        if (got < 0) error_ = qt_error_string(errno);
        grew_ = got > 0;
        return 0;
    }
    const auto want = static_cast<std::size_t>(std::min<long long>(count, left_));
    ssize_t got = 0;
    do got = ::read(fd_, to, want);
    while (got < 0 && errno == EINTR);
    if (got < 0) {
        error_ = qt_error_string(errno);
        return 0;
    }
    if (got == 0) left_ = 0;  // it shrank: what is left is a clean end
    left_ -= got;
    if (digester_) digester_->add(to, std::size_t(got));
    return got;
}

RegularFile::int_type RegularFile::underflow() {
    // No larger than what there is to read: a small file, such as a table,
    // costs its own size, not a megabyte's pages.
    if (buffer_.empty()) buffer_.resize(std::size_t(std::clamp<long long>(left_, 1, kChunk)));
    const auto room = static_cast<std::streamsize>(buffer_.size());
    std::streamsize got = 0;
    while (got == 0 && (left_ > 0 || !probed_) && error_.isEmpty()) got = readSome(buffer_.data(), room);
    if (got == 0) return traits_type::eof();
    setg(buffer_.data(), buffer_.data(), buffer_.data() + got);
    return traits_type::to_int_type(buffer_[0]);
}

// Large reads (the patch reader asks for a megabyte at a time) go straight into
// the caller's memory instead of through the buffer.
std::streamsize RegularFile::xsgetn(char* to, std::streamsize count) {
    std::streamsize done = 0;
    const std::streamsize buffered = std::min<std::streamsize>(count, egptr() - gptr());
    if (buffered > 0) {
        std::copy_n(gptr(), buffered, to);
        gbump(int(buffered));
        done = buffered;
    }
    while (done < count) {
        const std::streamsize got = readSome(to + done, count - done);
        if (got == 0 && (left_ > 0 || !probed_) && error_.isEmpty()) continue;
        if (got == 0) break;
        done += got;
    }
    return done;
}

}  // namespace hexpane
