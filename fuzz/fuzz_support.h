// What the fuzz targets share: a check that aborts, so that libFuzzer keeps the
// input that broke an invariant, streams over the input's bytes, and the
// splitting of text into lines.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: invariant failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

namespace fuzz {

// A stream over text where it lies, without the copy an istringstream makes.
// A failing one throws once the text is used up, which the stream reading it
// turns into a read error (badbit), as a disk error would be.
class View : public std::streambuf {
public:
    explicit View(std::string_view text, bool failing = false) : failing_(failing) {
        char* begin = const_cast<char*>(text.data());
        setg(begin, begin, begin + text.size());
    }

protected:
    int_type underflow() override {
        if (failing_) throw std::runtime_error("read error");
        return traits_type::eof();
    }

private:
    bool failing_;
};

// The part of `text` up to its last line end: the complete lines of a table
// file whose reading failed at the end of `text`.
inline std::string_view completeLines(std::string_view text) {
    const std::size_t end = text.find_last_of("\r\n");
    return end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1);
}

// Lines of a table file: they end at CR LF, a lone CR or a lone LF, and a line
// end at the very end makes no extra line.
inline std::vector<std::string_view> tableLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

inline std::string_view trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace fuzz
