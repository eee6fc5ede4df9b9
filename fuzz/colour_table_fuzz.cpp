// readColourTable against the table format read by hand: the code in
// characters 1-2, blue, green and red in characters 4-9, keys without case.
#include <cstddef>
#include <cstdint>
#include <istream>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "table_problems.h"
#include "tables/colour_table.h"

namespace {

using Kind = hexpane::TableProblemKind;

std::string folded(std::string_view code) {
    std::string key;
    for (const char c : code) key.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
    return key;
}

// A code of at most two characters, folded, as a number: cheaper to keep in a set
// than a string.
unsigned key(std::string_view code) {
    unsigned number = static_cast<unsigned>(code.size());
    for (const char c : folded(code)) number = number << 8 | static_cast<unsigned char>(c);
    return number;
}

std::string lowered(std::string_view code) {
    std::string key;
    for (const char c : code) key.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
    return key;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Characters `from` and `from` + 1 (from 1) read as "&H" and the text: blanks
// and tabs fall out, then the hexadecimal digits up to the first other one.
std::uint32_t component(std::string_view line, std::size_t from) {
    if (from > line.size()) return 0;
    std::uint32_t value = 0;
    for (const char c : line.substr(from - 1, 2)) {
        if (c == ' ' || c == '\t') continue;
        const int digit = hexDigit(c);
        if (digit < 0) break;
        value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    fuzz::View view(text);
    std::istream in(&view);
    std::vector<hexpane::TableProblem> problems;
    const hexpane::ColourTable table = hexpane::readColourTable(in, problems);

    const auto lines = fuzz::tableLines(text);
    FUZZ_CHECK(table.size() <= lines.size());

    std::map<unsigned, hexpane::ColourValue> first;  // key of the code -> colour of its first line
    std::map<unsigned, std::size_t> firstLine;       // key of the code -> its first line
    std::vector<hexpane::TableProblem> repeats;      // the repeated codes, as found
    std::size_t number = 0;
    bool pixelCode = false;
    for (const std::string_view line : lines) {
        ++number;
        const std::string_view code = line.substr(0, 2);
        const hexpane::ColourValue colour = component(line, 8) | component(line, 6) << 8 | component(line, 4) << 16;
        const auto entry = first.emplace(key(code), colour).first;
        const auto [given, fresh] = firstLine.emplace(key(code), number);
        if (!fresh) {
            repeats.push_back(
                {.kind = Kind::RepeatedCode, .line = number, .firstLine = given->second, .code = std::string(code)});
        }
        pixelCode = pixelCode || code.size() == 2;

        const auto found = table.lookup(code);
        FUZZ_CHECK(found.has_value());
        FUZZ_CHECK(*found == entry->second);
        FUZZ_CHECK(*found <= 0xFFFFFFu);
        FUZZ_CHECK(table.lookup(folded(code)) == found);
        FUZZ_CHECK(table.lookup(lowered(code)) == found);
    }
    FUZZ_CHECK(table.size() == first.size());

    FUZZ_CHECK(problems ==
               fuzz::reported(repeats, text, pixelCode ? std::nullopt : std::optional(Kind::NoPixelColour)));

    // Keys are the code alone, at most two characters.
    if (size >= 3) FUZZ_CHECK(!table.lookup(text.substr(0, 3)).has_value());
    if (size >= 2) {
        const std::string_view code = text.substr(size - 2);
        FUZZ_CHECK(table.lookup(code).has_value() == (first.count(key(code)) == 1));
    }

    // A read that fails part way keeps the complete lines before the failure
    // and says where it stopped.
    if (size > 0 && data[size - 1] % 4 == 1) {
        const std::string_view prefix = text.substr(0, size * data[0] / 256);
        fuzz::View failing(prefix, true);
        std::istream failingIn(&failing);
        std::vector<hexpane::TableProblem> failed;
        const hexpane::ColourTable partial = hexpane::readColourTable(failingIn, failed);
        const auto complete = fuzz::tableLines(fuzz::completeLines(prefix));
        FUZZ_CHECK(!failed.empty() &&
                   (failed.back() == hexpane::TableProblem{.kind = Kind::ReadFailure, .line = complete.size()}));
        std::set<unsigned> codes;
        for (const std::string_view line : complete) {
            const std::string_view code = line.substr(0, 2);
            codes.insert(key(code));
            FUZZ_CHECK(partial.lookup(code) == table.lookup(code));
        }
        FUZZ_CHECK(partial.size() == codes.size());
    }
    return 0;
}
