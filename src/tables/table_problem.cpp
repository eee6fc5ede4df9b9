#include "tables/table_problem.h"

#include <array>

namespace hexpane {

namespace {

std::string quoted(const std::string& code) {
    constexpr std::array<char, 16> kDigits = {'0', '1', '2', '3', '4', '5', '6', '7',
                                              '8', '9', 'A', 'B', 'C', 'D', 'E', 'F'};
    std::string text = "\"";
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
    return text + "\"";
}

const char* hiddenName(TableProblemKind kind) {
    return kind == TableProblemKind::RepeatedCode ? "repeated codes" : "skipped lines";
}

}  // namespace

std::string describe(const TableProblem& problem) {
    const std::string line = "line " + std::to_string(problem.line) + ": ";
    switch (problem.kind) {
    case TableProblemKind::RepeatedCode:
        return line + "repeated code " + quoted(problem.code) + ", first on line " + std::to_string(problem.firstLine);
    case TableProblemKind::ProductTooLarge:
        return line + "width times height too large, skipped";
    case TableProblemKind::NotShown:
        return std::to_string(problem.count) + " more " + hiddenName(problem.hiddenKind);
    case TableProblemKind::NulBytes:
        return "NUL bytes in the file";
    case TableProblemKind::NoPixelColour:
        return "no colour for any pixel code";
    case TableProblemKind::NoUsableSize:
        return "no usable size";
    case TableProblemKind::ReadFailure:
        return problem.line == 0 ? "read failure" : "read failure after line " + std::to_string(problem.line);
    }
    return "unknown problem";
}

}  // namespace hexpane
