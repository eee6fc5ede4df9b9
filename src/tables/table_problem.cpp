#include "tables/table_problem.h"

#include <array>

namespace hexpane {

namespace {

std::string printable(std::string_view code) {
    constexpr std::array<char, 16> kDigits = {'0', '1', '2', '3', '4', '5', '6', '7',
                                              '8', '9', 'A', 'B', 'C', 'D', 'E', 'F'};
    std::string text;
    for (const char c : code) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte > 0x7E || c == '"' || c == '\\') {
            text += "\\x";
            text += kDigits[byte >> 4];
            text += kDigits[byte & 15];
        } else {
            text += c;
        }
    }
    return text;
}

std::string lineText(std::size_t line) { return "line " + std::to_string(line) + ": "; }

// "and 3 more repeated codes", "and 1 more skipped line".
std::string notShownText(const TableProblem& problem) {
    std::string what = problem.hiddenKind == TableProblemKind::RepeatedCode ? "repeated code" : "skipped line";
    if (problem.count > 1) what += 's';
    return "and " + std::to_string(problem.count) + " more " + what;
}

}  // namespace

std::string describe(const TableProblem& problem) { return describe(problem, printable); }

std::string describe(const TableProblem& problem, const std::function<std::string(std::string_view)>& codeText) {
    switch (problem.kind) {
    case TableProblemKind::RepeatedCode:
        return lineText(problem.line) + "the code \"" + codeText(problem.code) + "\" was already given on line " +
               std::to_string(problem.firstLine) + "; the first one is kept";
    case TableProblemKind::ProductTooLarge:
        return lineText(problem.line) + "the width times the height is too large a number; the line is skipped";
    case TableProblemKind::NotShown:
        return notShownText(problem);
    case TableProblemKind::NulBytes:
        return "the file holds NUL bytes, so it is no plain 8-bit text file "
               "(saved as UTF-16, or not a text file at all?)";
    case TableProblemKind::NoPixelColour:
        return "it gives no colour to any pixel code, so every pixel is drawn black";
    case TableProblemKind::NoUsableSize:
        return "it gives no usable size (a whole width and height of at least 1), so every picture shows Error";
    case TableProblemKind::ReadFailure:
        return problem.line == 0 ? "the file could not be read"
                                 : "the file could not be read past line " + std::to_string(problem.line);
    }
    return "the file has a problem";
}

}  // namespace hexpane
