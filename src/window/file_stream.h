// A std::istream over a QFile, so the core readers take the file as it streams
// in and a failure comes back in the toolkit's own words.
#pragma once

#include <QFile>

#include <istream>
#include <new>
#include <streambuf>
#include <utility>
#include <vector>

namespace hexpane {

class FileStreamBuf final : public std::streambuf {
public:
    explicit FileStreamBuf(QFile& file) : file_(file) {}

protected:
    int_type underflow() override {
        const qint64 got = file_.read(buffer_.data(), qint64(buffer_.size()));
        if (got <= 0) return traits_type::eof();  // a read error stays in file_.error()
        setg(buffer_.data(), buffer_.data(), buffer_.data() + got);
        return traits_type::to_int_type(buffer_[0]);
    }

private:
    QFile& file_;
    std::vector<char> buffer_ = std::vector<char>(1 << 20);
};

// Opens path, hands its contents to read as a std::istream, and returns what
// read made of them, or the reason the file could not be read.
template <typename Read>
auto readFile(const QString& path, Read read, QString* error) -> decltype(read(std::declval<std::istream&>())) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return {};
    }
    FileStreamBuf buffer(file);
    std::istream in(&buffer);
    decltype(read(in)) result;
    try {
        result = read(in);
    } catch (const std::bad_alloc&) {
        *error = QStringLiteral("There is not enough memory to read it.");
        return {};
    }
    if (file.error() != QFileDevice::NoError) {
        *error = file.errorString();
        return {};
    }
    error->clear();
    return result;
}

}  // namespace hexpane
