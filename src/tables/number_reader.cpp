#include "tables/number_reader.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <system_error>

namespace hexpane {

namespace {

constexpr bool isIgnored(char c) { return c == ' ' || c == '\t' || c == '\n'; }
constexpr bool isDigit(char c) { return c >= '0' && c <= '9'; }
constexpr bool isHexDigit(char c) { return isDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }
constexpr bool isExponentLetter(char c) { return c == 'E' || c == 'e'; }

bool startsHex(std::string_view text) {
    return text.size() >= 2 && text[0] == '&' && (text[1] == 'H' || text[1] == 'h');
}

// The length of the unsigned decimal number at the start of `text`: digits with
// at most one full stop, then an exponent if one with digits follows. 0 when
// the text does not begin with a digit or a full stop and a digit.
std::size_t decimalLength(std::string_view text) {
    std::size_t i = 0;
    bool digits = false;
    bool point = false;
    for (; i < text.size(); ++i) {
        if (isDigit(text[i])) {
            digits = true;
        } else if (text[i] == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (!digits) return 0;
    if (i < text.size() && isExponentLetter(text[i])) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
        const std::size_t exponentDigits = j;
        while (j < text.size() && isDigit(text[j])) ++j;
        if (j > exponentDigits) i = j;  // "1E" and "1E+" read as 1
    }
    return i;
}

// A number that from_chars finds out of range is beyond the double range in
// one direction or the other; tell which from the place of its first
// significant digit.
double beyondRange(std::string_view number) {
    const bool negative = number.front() == '-';
    long long place = 0;
    bool significant = false;
    bool point = false;
    std::size_t i = negative ? 1 : 0;
    for (; i < number.size() && !isExponentLetter(number[i]); ++i) {
        if (number[i] == '.') {
            point = true;
        } else if (significant || number[i] != '0') {
            significant = true;
            if (!point) ++place;
        } else if (point) {
            --place;
        }
    }
    long long exponent = 0;
    if (i < number.size()) {
        ++i;
        const bool exponentNegative = number[i] == '-';
        if (number[i] == '+' || number[i] == '-') ++i;
        constexpr long long kCap = 1'000'000'000;  // far past either end of the range
        for (; i < number.size() && exponent < kCap; ++i) exponent = exponent * 10 + (number[i] - '0');
        if (exponentNegative) exponent = -exponent;
    }
    const double magnitude = significant && place + exponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    return negative ? -magnitude : magnitude;
}

// `number` is an optional minus and a decimal number as decimalLength finds it.
// from_chars parses it exactly, whatever the locale.
double decimalValue(std::string_view number) {
    double value = 0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) return beyondRange(number);
    return value;
}

double hexValue(std::string_view digits) {
    if (digits.empty()) return 0;
    double value = 0;
    const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), value, std::chars_format::hex);
    if (result.ec == std::errc::result_out_of_range) return std::numeric_limits<double>::infinity();
    return value;
}

}  // namespace

// The ignored characters are dropped first, so they may stand anywhere, even
// between the "&" and the "H" or between a minus and its digits. A plus sign in
// front is accepted, like the minus.
double readNumber(std::string_view text) {
    std::string packed;
    packed.reserve(text.size());
    for (const char c : text) {
        if (!isIgnored(c)) packed.push_back(c);
    }
    const std::string_view rest = packed;

    if (startsHex(rest)) {
        std::size_t end = 2;
        while (end < rest.size() && isHexDigit(rest[end])) ++end;
        return hexValue(rest.substr(2, end - 2));
    }

    const bool minus = !rest.empty() && rest[0] == '-';
    const std::size_t sign = !rest.empty() && (rest[0] == '-' || rest[0] == '+') ? 1 : 0;
    const std::size_t length = decimalLength(rest.substr(sign));
    if (length == 0) return 0;
    return decimalValue(minus ? rest.substr(0, 1 + length) : rest.substr(sign, length));
}

// Accepts the forms readNumber reads from a whole field, so that a size the
// lookup matches can also be drawn: a decimal number with an optional sign and
// exponent, or "&H" and hexadecimal digits. Blanks and tabs may stand around
// it, not inside.
std::optional<std::int32_t> readWholeNumber(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return std::nullopt;
    text = text.substr(first, text.find_last_not_of(" \t") - first + 1);

    double value = 0;
    if (startsHex(text)) {
        std::uint32_t hex = 0;
        const char* end = text.data() + text.size();
        const auto result = std::from_chars(text.data() + 2, end, hex, 16);
        if (result.ec != std::errc{} || result.ptr != end) return std::nullopt;
        value = hex;
    } else {
        const std::size_t sign = (text[0] == '-' || text[0] == '+') ? 1 : 0;
        const std::size_t length = decimalLength(text.substr(sign));
        if (length == 0 || sign + length != text.size()) return std::nullopt;
        value = decimalValue(text[0] == '+' ? text.substr(1) : text);
    }

    // Halves go to the even neighbour; x - trunc(x) is exact, so the test for
    // a half is too.
    double rounded = std::round(value);
    if (std::fabs(value - std::trunc(value)) == 0.5) rounded = 2.0 * std::round(value / 2.0);
    constexpr double kLowest = std::numeric_limits<std::int32_t>::min();
    constexpr double kHighest = std::numeric_limits<std::int32_t>::max();
    if (!(rounded >= kLowest && rounded <= kHighest)) return std::nullopt;
    return static_cast<std::int32_t>(rounded);
}

}  // namespace hexpane
