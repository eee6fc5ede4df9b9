#include "tables/colour_table.h"

#include <map>
#include <utility>

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

// The other byte that folds to a folded byte: the small letter of a capital,
// else the byte itself.
constexpr std::size_t unfolded(std::size_t byte) { return (byte >= 'A' && byte <= 'Z') ? byte + ('a' - 'A') : byte; }

// A code of at most two characters, its letter case folded, as one number.
unsigned foldedCode(std::string_view code) {
    unsigned key = static_cast<unsigned>(code.size());
    for (const char c : code) key = key << 8 | static_cast<unsigned>(folded(c));
    return key;
}

}  // namespace

std::size_t ColourTable::keyOf(std::string_view code) {
    return code.size() == 1 ? std::size_t{256} * 256 + folded(code[0]) : folded(code[0]) * 256 + folded(code[1]);
}

std::uint64_t ColourTable::find(std::size_t key) const {
    const std::size_t page = pages_[key / kPageSize];
    return page == 0 ? 0 : slots_[(page - 1) * kPageSize + key % kPageSize];
}

std::uint64_t& ColourTable::slot(std::size_t key) {
    std::uint16_t& page = pages_[key / kPageSize];
    if (page == 0) {
        slots_.resize(slots_.size() + kPageSize);
        page = static_cast<std::uint16_t>(slots_.size() / kPageSize);
    }
    return slots_[(page - 1) * kPageSize + key % kPageSize];
}

bool ColourTable::add(std::string_view code, ColourValue colour) {
    if (code.size() > 2) return false;
    std::uint64_t& entry = code.empty() ? empty_ : slot(keyOf(code));
    if (entry != 0) return false;
    entry = kTaken | colour;
    ++size_;
    if (code.size() == 2) codeColours_.drop();
    return true;
}

std::optional<ColourValue> ColourTable::lookup(std::string_view code) const {
    if (code.size() > 2) return std::nullopt;
    const std::uint64_t entry = code.empty() ? empty_ : find(keyOf(code));
    if (entry == 0) return std::nullopt;
    return static_cast<ColourValue>(entry);
}

std::size_t ColourTable::size() const { return size_; }

const ColourTable::CodeColours& ColourTable::codeColours() const { return codeColours_.get(*this); }

// Only the pages that hold keys are visited: a table costs the zeroing of the
// array and a few stores for each of its codes.
std::unique_ptr<const ColourTable::CodeColours> ColourTable::makeCodeColours() const {
    auto colours = std::make_unique<CodeColours>();  // all black
    for (std::size_t page = 0; page < colours->size() / kPageSize; ++page) {
        if (pages_[page] == 0) continue;
        for (std::size_t key = page * kPageSize; key < (page + 1) * kPageSize; ++key) {
            const std::uint64_t entry = find(key);
            if (entry == 0) continue;
            // The key is the folded code: a capital letter in it stands for the small one too.
            for (const std::size_t first : {key >> 8, unfolded(key >> 8)}) {
                for (const std::size_t second : {key & 255, unfolded(key & 255)}) {
                    (*colours)[first << 8 | second] = static_cast<ColourValue>(entry);
                }
            }
        }
    }
    return colours;
}

ColourTable::CodeColoursCache& ColourTable::CodeColoursCache::operator=(const CodeColoursCache& other) {
    if (this == &other) return *this;
    std::shared_ptr<const CodeColours> colours = other.shared();
    const std::lock_guard lock(mutex_);
    colours_ = std::move(colours);
    return *this;
}

const ColourTable::CodeColours& ColourTable::CodeColoursCache::get(const ColourTable& table) const {
    const std::lock_guard lock(mutex_);
    if (!colours_) colours_ = table.makeCodeColours();
    return *colours_;
}

std::shared_ptr<const ColourTable::CodeColours> ColourTable::CodeColoursCache::shared() const {
    const std::lock_guard lock(mutex_);
    return colours_;
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
