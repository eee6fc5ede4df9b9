// Reading a file the user named, as a std::istream for the core readers. Only
// a regular file is read: it is opened without blocking, so a named pipe or a
// device cannot hang the program, and checked on the open descriptor, so it
// cannot be swapped in between. It is read no further than it reached when it
// was opened, so a file that grows meanwhile cannot make memory grow with it.
// Where asked, every byte read is digested on its way, so that a file written
// later from this one can be checked against what was read (files/file_digest.h).
#pragma once

#include <QString>

#include <cstdint>
#include <istream>
#include <limits>
#include <memory>
#include <new>
#include <optional>
#include <streambuf>
#include <utility>
#include <vector>

#include "files/file_digest.h"
#include "files/watched_read.h"

namespace hexpane {

// What a file that is not a regular one is, from its stat mode: "a folder",
// "a named pipe (FIFO)", "a device", "a socket".
QString fileKind(unsigned mode);

// The descriptor of the regular file at path, opened for reading as
// RegularFile opens it, and its size then; -1 with the reason in *error.
int openRegularFile(const QString& path, QString* error, long long* size);

class RegularFile final : public std::streambuf {
public:
    enum class Digested { No, Yes };
    // error() says why it could not be opened. No more than limit bytes are read.
    explicit RegularFile(const QString& path, std::uint64_t limit = std::numeric_limits<std::uint64_t>::max(),
                         Digested digested = Digested::No);
    ~RegularFile() override;
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;

    // Empty while all is well; otherwise the reason, fit for a message.
    const QString& error() const { return error_; }
    // Whether the file held more than the limit when it was opened.
    bool cut() const { return cut_; }
    // What was read so far, where Digested; whole once the file was read to
    // its end, and nothing had been added to it by then.
    FileDigest digest() const;

protected:
    int_type underflow() override;
    std::streamsize xsgetn(char* to, std::streamsize count) override;
    // What is left of the file as opened, for readers that size their memory by it.
    std::streamsize showmanyc() override { return static_cast<std::streamsize>(left_); }

private:
    std::streamsize readSome(char* to, std::streamsize count);

    int fd_ = -1;
    long long left_ = 0;   // bytes of the file as opened not yet read
    bool probed_ = false;  // the read past the end that tells the end from a failure
    bool grew_ = false;    // that read found more
    bool cut_ = false;
    QString error_;
    std::vector<char> buffer_;
    std::unique_ptr<Digester> digester_;
};

// Opens path, hands its contents to read as a std::istream, and returns what
// read made of them; on failure, the default result and the reason in *error.
// *digest, when asked for, tells what was read. With a watch, the read is
// counted on it and ends early when it asks to stop.
template <typename Read>
auto readFile(const QString& path, Read read, QString* error, FileDigest* digest = nullptr, ReadWatch* watch = nullptr)
    -> decltype(read(std::declval<std::istream&>())) {
    try {
        RegularFile file(path, std::numeric_limits<std::uint64_t>::max(),
                         digest != nullptr ? RegularFile::Digested::Yes : RegularFile::Digested::No);
        if (!file.error().isEmpty()) {
            *error = file.error();
            return {};
        }
        std::optional<WatchedSource> watched;
        if (watch != nullptr) watched.emplace(file, *watch);
        std::istream in(watched ? static_cast<std::streambuf*>(&*watched) : &file);
        auto result = read(in);
        if (!file.error().isEmpty()) {
            *error = file.error();
            return {};
        }
        error->clear();
        if (digest != nullptr) *digest = file.digest();
        return result;
    } catch (const std::bad_alloc&) {
        *error = QStringLiteral("There is not enough memory to read it.");
        return {};
    }
}

}  // namespace hexpane
