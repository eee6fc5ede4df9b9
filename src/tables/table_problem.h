// What can be wrong in a table file, as data: the readers say what and where,
// and describe() words it, the one wording every program shows.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace hexpane {

enum class TableProblemKind {
    RepeatedCode,     // colour table: `code`, on `line`, was first given on `firstLine`; the first is kept
    ProductTooLarge,  // size table: the width times the height on `line` is no finite number; the line is skipped
    NotShown,         // `count` more problems of kind `hiddenKind` after the first few, which are listed
    NulBytes,         // the file holds NUL bytes: it is no plain 8-bit text (UTF-16, or binary)
    NoPixelColour,    // colour table: no two-character code has a colour, so every pixel is black
    NoUsableSize,     // size table: no line has a whole width and height of at least 1
    ReadFailure,      // reading failed after `line` complete lines (0: before any)
};

struct TableProblem {
    TableProblemKind kind{};
    std::size_t line = 0;
    std::size_t firstLine = 0;
    std::string code{};  // the code's bytes as the file has them, control characters and all
    std::size_t count = 0;
    TableProblemKind hiddenKind{};

    bool operator==(const TableProblem&) const = default;
};

// The problem in one line, as its user reads it, without the file's name.
// `codeText` shows a code's bytes; by default as printable ASCII, any other
// byte (and a quote or backslash) as \xNN.
std::string describe(const TableProblem& problem);
std::string describe(const TableProblem& problem, const std::function<std::string(std::string_view)>& codeText);

// What describe() says, in two parts: the wording of the problem's kind, with
// numbered places %1, %2, ..., and what goes in them. A program that shows
// its messages in the user's language translates the wording (the context
// for its translation tools is kTableProblemContext), then fills it.
struct TableProblemWording {
    const char* text;
    std::vector<std::string> arguments;
};
inline constexpr const char* kTableProblemContext = "TableProblem";
TableProblemWording wording(const TableProblem& problem, const std::function<std::string(std::string_view)>& codeText);
// text with each %N (1 to 9) replaced by arguments[N - 1], in one pass.
std::string fillWording(std::string_view text, const std::vector<std::string>& arguments);

}  // namespace hexpane
