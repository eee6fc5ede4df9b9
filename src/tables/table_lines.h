// Reading the table files: their lines, and the problems found on the way,
// gathered for one message box.
#pragma once

#include <cstddef>
#include <istream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace hexpane {

// Reads the next line, without its line end, as bytes. A line ends at CR LF,
// at a lone CR or at a lone LF: table files written on this platform end their
// lines with LF alone. A line end at the very end of the file makes no extra
// line. Returns false when no line is left, or when the stream failed part way
// through a line (the partial line is dropped).
inline bool readTableLine(std::istream& in, std::string& line) {
    line.clear();
    bool any = false;
    char c = 0;
    while (in.get(c)) {
        any = true;
        if (c == '\n') return true;
        if (c == '\r') {
            if (in.peek() == '\n') in.get();
            return true;
        }
        line.push_back(c);
    }
    return any && !in.bad();
}

// The problems of one table file: the first few in full, then how many more
// there were, so that a broken file cannot flood the message box.
class TableProblems {
public:
    // `more` names one of the problems not shown: "repeated code" gives
    // "and 3 more repeated codes". Collects nothing when `out` is null. A problem
    // that will not be shown may be added as empty text: it is only counted.
    TableProblems(std::vector<std::string>* out, std::string_view more) : out_(out), more_(more) {}

    bool wanted() const { return out_ != nullptr; }
    // Whether the next problem added is shown in full, and so worth the text.
    bool showsNext() const { return out_ && shown_ < kShown; }

    void add(std::string text) {
        if (!out_) return;
        if (shown_ < kShown) {
            out_->push_back(std::move(text));
            ++shown_;
        } else {
            ++hidden_;
        }
    }

    // Text editors save tables as UTF-16 or binary now and then; such a file
    // reads as lines full of NUL bytes that fit nothing.
    void checkText(std::string_view line) { holdsNul_ = holdsNul_ || line.find('\0') != std::string_view::npos; }

    // Call once the file has been read: adds the count of problems not shown,
    // what is wrong with the file as a whole (`useless`, when the table gives
    // nothing to use), and notes a read failure, after `lines` complete lines.
    void finish(const std::istream& in, std::size_t lines, const char* useless = nullptr) {
        if (!out_) return;
        if (hidden_ > 0) {
            out_->push_back("and " + std::to_string(hidden_) + " more " + std::string(more_) +
                            (hidden_ > 1 ? "s" : ""));
        }
        if (holdsNul_) {
            out_->push_back(
                "the file holds NUL bytes, so it is no plain 8-bit text file "
                "(saved as UTF-16, or not a text file at all?)");
        }
        if (useless) out_->push_back(useless);
        if (in.bad()) {
            out_->push_back(lines == 0 ? std::string("the file could not be read")
                                       : "the file could not be read past line " + std::to_string(lines));
        }
    }

private:
    static constexpr std::size_t kShown = 5;

    std::vector<std::string>* out_;
    std::string more_;
    std::size_t shown_ = 0;
    std::size_t hidden_ = 0;
    bool holdsNul_ = false;
};

}  // namespace hexpane
