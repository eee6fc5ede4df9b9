// Reading the table files: their lines, and the problems found on the way,
// gathered for one message box.
#pragma once

#include <cstddef>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tables/table_problem.h"

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
    // Collects nothing when `out` is null. `lineKind` is the kind of the
    // problems of single lines, which are counted past the first few.
    TableProblems(std::vector<TableProblem>* out, TableProblemKind lineKind) : out_(out), lineKind_(lineKind) {}

    bool wanted() const { return out_ != nullptr; }

    void add(TableProblem problem) {
        if (!out_) return;
        if (shown_ < kShown) {
            out_->push_back(std::move(problem));
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
    void finish(const std::istream& in, std::size_t lines, std::optional<TableProblemKind> useless) {
        if (!out_) return;
        if (hidden_ > 0) {
            out_->push_back({.kind = TableProblemKind::NotShown, .count = hidden_, .hiddenKind = lineKind_});
        }
        if (holdsNul_) out_->push_back({.kind = TableProblemKind::NulBytes});
        if (useless) out_->push_back({.kind = *useless});
        if (in.bad()) out_->push_back({.kind = TableProblemKind::ReadFailure, .line = lines});
    }

private:
    static constexpr std::size_t kShown = 5;

    std::vector<TableProblem>* out_;
    TableProblemKind lineKind_;
    std::size_t shown_ = 0;
    std::size_t hidden_ = 0;
    bool holdsNul_ = false;
};

// A reader's problems as one-line descriptions, for its text form: `read`
// takes the list of problems to fill, or null for none.
template <typename Read>
auto readDescribed(Read read, std::vector<std::string>* problems) {
    if (!problems) return read(nullptr);
    std::vector<TableProblem> found;
    auto table = read(&found);
    for (const TableProblem& problem : found) problems->push_back(describe(problem));
    return table;
}

}  // namespace hexpane
