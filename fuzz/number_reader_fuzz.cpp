// readNumber and readWholeNumber: the input as text, and numbers made from the
// input's bytes written out in the forms the reader must take back.
#include <array>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "tables/number_reader.h"

namespace {

bool isIgnored(char c) { return c == ' ' || c == '\t' || c == '\n'; }

std::string written(double value, std::chars_format format) {
    std::array<char, 1100> text{};
    const auto result = std::to_chars(text.data(), text.data() + text.size(), value, format);
    return std::string(text.data(), result.ptr);
}

// Same number, and -0 counts as 0: the reader has no signed zero to keep.
bool same(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }

void checkWhole(std::int32_t value) {
    const std::string digits = std::to_string(value);
    FUZZ_CHECK(hexpane::readNumber(digits) == value);
    FUZZ_CHECK(hexpane::readNumber(digits + "x1") == value);
    FUZZ_CHECK(hexpane::readWholeNumber(digits) == value);
    FUZZ_CHECK(hexpane::readWholeNumber(" \t" + digits + "\t ") == value);
    FUZZ_CHECK(hexpane::readWholeNumber(digits + ".0") == value);
    FUZZ_CHECK(hexpane::readWholeNumber(digits + "E0") == value);
    FUZZ_CHECK(!hexpane::readWholeNumber(digits + "x").has_value());
    if (value >= 0) {
        FUZZ_CHECK(hexpane::readWholeNumber("+" + digits) == value);
        std::array<char, 16> hex{};
        const auto end = std::to_chars(hex.data(), hex.data() + hex.size(), value, 16).ptr;
        const std::string text = "&H" + std::string(hex.data(), end);
        FUZZ_CHECK(hexpane::readNumber(text) == value);
        FUZZ_CHECK(hexpane::readWholeNumber(text) == value);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    // Blanks, tabs and line feeds are ignored wherever they stand.
    const double value = hexpane::readNumber(text);
    FUZZ_CHECK(!std::isnan(value));
    std::string packed;
    for (const char c : text) {
        if (!isIgnored(c)) packed.push_back(c);
    }
    FUZZ_CHECK(same(hexpane::readNumber(packed), value));
    if (size > 0) {
        std::string spaced(text);
        spaced.insert(data[0] % (size + 1), data[0] % 2 ? " \n" : "\t");
        FUZZ_CHECK(same(hexpane::readNumber(spaced), value));
    }

    // A whole number is a number readNumber reads the same, rounded half to even.
    if (const auto whole = hexpane::readWholeNumber(text)) {
        FUZZ_CHECK(static_cast<double>(*whole) == std::nearbyint(value));
    }

    if (size >= 4) {
        std::int32_t whole = 0;
        std::memcpy(&whole, data, sizeof whole);
        checkWhole(whole);
    }
    if (size >= 8) {
        double number = 0;
        std::memcpy(&number, data + size - 8, sizeof number);
        if (std::isfinite(number)) {
            for (const auto format :
                 {std::chars_format::general, std::chars_format::scientific, std::chars_format::fixed}) {
                const std::string written = ::written(number, format);
                FUZZ_CHECK(hexpane::readNumber(written) == number);
                FUZZ_CHECK(hexpane::readNumber(written + "E") == number);
            }
        }
    }
    return 0;
}
