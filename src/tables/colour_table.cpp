#include "tables/colour_table.h"

#include <array>
#include <map>

#include "tables/detail/table_lines.h"

namespace hexpane {

namespace {

// Keys compare with ASCII letter case ignored; every other byte stands as it is.
constexpr std::size_t folded(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= 'a' && byte <= 'z') ? byte - ('a' - 'A') : byte;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// One colour component: the characters of `line` from position `from` (counted
// from 1), two at most and fewer where the line ends, read as readNumber reads
// "&H" and the text. For two characters of a line, which holds no line feed, that
// is: blanks and tabs fall out, then the hexadecimal digits up to the first other
// character count. Read here directly, as three per line made readNumber most of
// the cost of reading a table.
ColourValue component(std::string_view line, std::size_t from) {
    if (from > line.size()) return 0;
    ColourValue value = 0;
    for (const char c : line.substr(from - 1, 2)) {
        if (c == ' ' || c == '\t') continue;
        const int digit = hexDigit(c);
        if (digit < 0) break;
        value = value * 16 + static_cast<ColourValue>(digit);
    }
    return value;
}

// The bytes that fold to the same byte as `c`: itself and, for a letter, the
// other case. Other bytes, 8-bit letters included, stand only for themselves.
std::array<unsigned, 2> forms(char c) {
    const auto byte = static_cast<unsigned char>(c);
    const auto other = static_cast<unsigned>(byte >= 'a' && byte <= 'z'   ? byte - ('a' - 'A')
                                             : byte >= 'A' && byte <= 'Z' ? byte + ('a' - 'A')
                                                                          : byte);
    return {byte, other};
}

// A two-character code as it stands, its first byte the high one.
unsigned pairOf(std::string_view code) {
    return unsigned{static_cast<unsigned char>(code[0])} << 8 | static_cast<unsigned char>(code[1]);
}

// A code of at most two characters, its letter case folded, as one number.
unsigned foldedCode(std::string_view code) {
    unsigned key = static_cast<unsigned>(code.size());
    for (const char c : code) key = key << 8 | static_cast<unsigned>(folded(c));
    return key;
}

}  // namespace

bool ColourTable::add(std::string_view code, ColourValue colour) {
    switch (code.size()) {
    case 0:
        if (empty_) return false;
        empty_ = colour;
        break;
    case 1:
        if (singleTaken_[static_cast<unsigned char>(code[0])]) return false;
        for (const unsigned byte : forms(code[0])) {
            singles_[byte] = colour;
            singleTaken_.set(byte);
        }
        break;
    case 2:
        if (pairs_.empty()) {
            pairs_.emplace_back();
        } else if (pairTaken_[pairOf(code)]) {
            return false;
        }
        for (const unsigned first : forms(code[0])) {
            for (const unsigned second : forms(code[1])) {
                pairs_.front()[first << 8 | second] = colour;
                pairTaken_.set(first << 8 | second);
            }
        }
        break;
    default:
        return false;
    }
    ++size_;
    return true;
}

std::optional<ColourValue> ColourTable::lookup(std::string_view code) const {
    switch (code.size()) {
    case 0:
        return empty_;
    case 1: {
        const auto byte = static_cast<unsigned char>(code[0]);
        return singleTaken_[byte] ? std::optional(singles_[byte]) : std::nullopt;
    }
    case 2: {
        const unsigned pair = pairOf(code);
        return !pairs_.empty() && pairTaken_[pair] ? std::optional(pairs_.front()[pair]) : std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

std::size_t ColourTable::size() const { return size_; }

const ColourTable::CodeColours& ColourTable::codeColours() const {
    static const CodeColours none{};  // all black, shared by the tables without two-character codes
    return pairs_.empty() ? none : pairs_.front();
}

namespace {

// A line is the code in characters 1-2, a separator, then blue, green and red
// as two hexadecimal digits each. Nothing is checked: a short line gives 0 for
// the components it lacks, and an empty line is the empty code. A repeated code
// keeps its first colour and is reported.
ColourTable readColours(std::istream& in, std::vector<TableProblem>* problems) {
    ColourTable table;
    TableProblems found(problems, TableProblemKind::RepeatedCode);
    std::map<unsigned, std::size_t> firstLine;  // folded code -> line, for the reports
    std::string line;
    std::size_t number = 0;
    std::size_t pixelCodes = 0;  // entries for two-character codes, the only ones a pixel can have
    while (readTableLine(in, line)) {
        ++number;
        found.checkText(line);
        const ColourValue red = component(line, 8);
        const ColourValue green = component(line, 6);
        const ColourValue blue = component(line, 4);
        const std::string_view code = std::string_view(line).substr(0, 2);
        if (table.add(code, red | green << 8 | blue << 16)) {
            if (code.size() == 2) ++pixelCodes;
            if (found.wanted()) firstLine.emplace(foldedCode(code), number);
        } else if (found.wanted()) {
            found.add({.kind = TableProblemKind::RepeatedCode,
                       .line = number,
                       .firstLine = firstLine[foldedCode(code)],
                       .code = std::string(code)});
        }
    }
    found.finish(in, number, pixelCodes > 0 ? std::nullopt : std::optional(TableProblemKind::NoPixelColour));
    return table;
}

}  // namespace

ColourTable readColourTable(std::istream& in, std::vector<TableProblem>& problems) {
    return readColours(in, &problems);
}

ColourTable readColourTable(std::istream& in, std::vector<std::string>* problems) {
    return readDescribed([&](std::vector<TableProblem>* found) { return readColours(in, found); }, problems);
}

}  // namespace hexpane
