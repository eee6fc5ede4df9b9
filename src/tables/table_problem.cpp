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

// Marks a wording for the translation tools, which know it by this name.
#define HEXPANE_WORDING(context, text) text

}  // namespace

std::string describe(const TableProblem& problem) { return describe(problem, printable); }

std::string describe(const TableProblem& problem, const std::function<std::string(std::string_view)>& codeText) {
    const TableProblemWording said = wording(problem, codeText);
    return fillWording(said.text, said.arguments);
}

TableProblemWording wording(const TableProblem& problem, const std::function<std::string(std::string_view)>& codeText) {
    const auto number = [](std::size_t n) { return std::to_string(n); };
    switch (problem.kind) {
    case TableProblemKind::RepeatedCode:
        return {HEXPANE_WORDING("TableProblem",
                                "line %1: the code \"%2\" was already given on line %3; the first one is kept"),
                {number(problem.line), codeText(problem.code), number(problem.firstLine)}};
    case TableProblemKind::ProductTooLarge:
        return {HEXPANE_WORDING("TableProblem",
                                "line %1: the width times the height is too large a number; the line is skipped"),
                {number(problem.line)}};
    case TableProblemKind::NotShown: {
        const bool codes = problem.hiddenKind == TableProblemKind::RepeatedCode, one = problem.count == 1;
        const char* text = codes ? (one ? HEXPANE_WORDING("TableProblem", "and %1 more repeated code")
                                        : HEXPANE_WORDING("TableProblem", "and %1 more repeated codes"))
                                 : (one ? HEXPANE_WORDING("TableProblem", "and %1 more skipped line")
                                        : HEXPANE_WORDING("TableProblem", "and %1 more skipped lines"));
        return {text, {number(problem.count)}};
    }
    case TableProblemKind::NulBytes:
        return {HEXPANE_WORDING("TableProblem",
                                "the file holds NUL bytes, so it is no plain 8-bit text file "
                                "(saved as UTF-16, or not a text file at all?)"),
                {}};
    case TableProblemKind::NoPixelColour:
        return {HEXPANE_WORDING("TableProblem", "it gives no colour to any pixel code, so every pixel is drawn black"),
                {}};
    case TableProblemKind::NoUsableSize:
        return {HEXPANE_WORDING("TableProblem",
                                "it gives no usable size (a whole width and height of at least 1), so every "
                                "picture shows Error"),
                {}};
    case TableProblemKind::ReadFailure:
        if (problem.line == 0) return {HEXPANE_WORDING("TableProblem", "the file could not be read"), {}};
        return {HEXPANE_WORDING("TableProblem", "the file could not be read past line %1"), {number(problem.line)}};
    }
    return {HEXPANE_WORDING("TableProblem", "the file has a problem"), {}};
}

std::string fillWording(std::string_view text, const std::vector<std::string>& arguments) {
    std::string filled;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9') {
            const auto n = std::size_t(text[i + 1] - '1');
            if (n < arguments.size()) {
                filled += arguments[n];
                ++i;
                continue;
            }
        }
        filled += text[i];
    }
    return filled;
}

}  // namespace hexpane
