#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <sstream>
#include <stdexcept>
#include <streambuf>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "patch/detail/read_settings.h"
#include "patch/patch_reader.h"
#include "patch/pictures.h"
#include "patch/reading_memory.h"
#include "reference_reader.h"
#include "resource_limits.h"

namespace {

using namespace std::string_literals;
using Records = std::vector<std::array<std::string, 3>>;  // name, old hex, new hex

Records read(const std::string& file) {
    std::istringstream in(file);
    Records records;
    for (auto& picture : hexpane::readPatch(in)) records.push_back({picture.name, picture.oldHex, picture.newHex});
    return records;
}

// The law of the compact forms: readPictures reads the records `expected` holds,
// and locateNewText the runs it holds for the pictures asked for.
testing::AssertionResult compactFormsAgree(const std::string& file, const hexpane::ReadSettings& settings,
                                           const hexpane::LocatedPatch& expected) {
    std::istringstream in(file), again(file);
    hexpane::Pictures pictures = hexpane::readPicturesWith(in, settings);
    hexpane::Pictures moved;
    std::swap(moved, pictures);  // moves no text: what the views show stays
    if (const std::string d = reference::difference(reference::records(moved), expected.pictures); !d.empty())
        return testing::AssertionFailure() << "readPictures: " << d;
    const std::vector<std::size_t> wanted = reference::someOf(expected.pictures.size());
    if (const std::string d =
            reference::locatedDifference(hexpane::locateNewTextWith(again, wanted, settings), expected);
        !d.empty())
        return testing::AssertionFailure() << "locateNewText: " << d;
    return testing::AssertionSuccess();
}

// The law of readPatchLocated: it reads what readPatch reads, and each picture's
// runs cover its new text in order, each run a stretch of the file as it stands.
// The compact forms read the same.
testing::AssertionResult locatesEveryNewCharacter(const std::string& file) {
    std::istringstream in(file), again(file);
    const hexpane::LocatedPatch located = hexpane::readPatchLocated(in);
    const std::vector<hexpane::PictureRecord> pictures = hexpane::readPatch(again);
    if (testing::AssertionResult compact = compactFormsAgree(file, {}, located); !compact) return compact;
    if (located.pictures.size() != pictures.size() || located.newTextRuns.size() != pictures.size())
        return testing::AssertionFailure() << "picture counts differ";
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        const hexpane::PictureRecord& picture = located.pictures[i];
        if (picture.name != pictures[i].name || picture.oldHex != pictures[i].oldHex ||
            picture.newHex != pictures[i].newHex)
            return testing::AssertionFailure() << "picture " << i << " reads otherwise";
        std::size_t covered = 0;
        for (const hexpane::NewTextRun& run : located.newTextRuns[i]) {
            if (run.textOffset != covered || run.length == 0 || run.streamOffset + run.length > file.size() ||
                file.compare(run.streamOffset, run.length, picture.newHex, covered, run.length) != 0)
                return testing::AssertionFailure()
                       << "picture " << i << ": a run at text offset " << run.textOffset << " is not where it says";
            covered += run.length;
        }
        if (covered != picture.newHex.size())
            return testing::AssertionFailure() << "picture " << i << ": the runs cover " << covered << " of "
                                               << picture.newHex.size() << " characters";
    }
    return testing::AssertionSuccess();
}

struct Case {
    const char* name;
    std::string file;
    Records expected;
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

class ReadPatch : public testing::TestWithParam<Case> {};

TEST_P(ReadPatch, GivesRecords) { EXPECT_EQ(read(GetParam().file), GetParam().expected); }

TEST_P(ReadPatch, LocatesEveryNewCharacter) { EXPECT_TRUE(locatesEveryNewCharacter(GetParam().file)); }

std::string caseName(const testing::TestParamInfo<Case>& info) { return info.param.name; }

const std::string H = "##### Picture ";
const std::string D = "; Picture Data";
const std::string example = "; sample patch|" + H + "logo 176x30|" + D + "|0012A0: 00 FF|0012A1: 1C E0|" + D +
                            "|0012B0: 7F||0012B1: 11 22|" + H + "logo|" + D + "|0012C0: 01 02|; end|0012C1: 03 04|";

std::string withLineEnds(std::string text, const std::string& end) {
    std::string out;
    for (char c : text) c == '|' ? out += end : out += c;
    return out;
}

INSTANTIATE_TEST_SUITE_P(WholeFile, ReadPatch,
                         testing::Values(Case{"Empty", "", {}}, Case{"NoDataMarker", H + "a 1x1\r\n0: AA BB\r\n", {}},
                                         Case{"ExampleCrLf",
                                              withLineEnds(example, "\r\n"),
                                              {{"logo", "001C", "FFE0"}, {"logo", "", "7F"}, {"2", "01", "02"}}},
                                         Case{"ExampleLf",
                                              withLineEnds(example, "\n"),
                                              {{"logo", "001C", "FFE0"}, {"logo", "11", "7F22"}, {"2", "01", "02"}}}),
                         caseName);

INSTANTIATE_TEST_SUITE_P(LineEnds, ReadPatch,
                         testing::Values(Case{"CrLf", D + "\r\n0: AA BB\r\n1: CC DD\r\n", {{"0", "AACC", "BBDD"}}},
                                         Case{"LoneCr", D + "\r0: AA BB\r1: CC DD\r", {{"0", "AACC", "BBDD"}}},
                                         Case{"LoneLf", D + "\n0: AA BB\n1: CC DD\n", {{"0", "AACC", "BBDD"}}},
                                         Case{
                                             "Mixed", D + "\n0: AA BB\r1: CC DD\r\n2: EE\n", {{"0", "AACC", "BBDDEE"}}},
                                         Case{"NoFinalLineEnd", D + "\r\n0: AA BB", {{"0", "AA", "BB"}}},
                                         Case{"CrAtEnd", D + "\r0: AA BB\r", {{"0", "AA", "BB"}}},
                                         Case{"CrCrLfHoldsEmptyLine", D + "\r\r\n0: AA BB", {{"0", "", ""}}}),
                         caseName);

INSTANTIATE_TEST_SUITE_P(
    BlankLines, ReadPatch,
    testing::Values(Case{"EmptyLineCloses", D + "\r\n0: AA BB\r\n\r\n1: CC DD\r\n", {{"0", "AA", "BB"}}},
                    Case{"SpacesLineCloses", D + "\r\n0: AA BB\r\n   \r\n1: CC DD\r\n", {{"0", "AA", "BB"}}},
                    Case{"EmptyLoneCrLineCloses", D + "\r0: AA BB\r\r1: CC DD", {{"0", "AA", "BB"}}},
                    Case{"TabLineIsNotBlank", D + "\r\n0: AA BB\r\n\t\r\n1: CC DD\r\n", {{"0", "AACC", "BBDD"}}},
                    Case{"EmptyPieceClosesNothing", D + "\r\n0: AA BB\n\n1: CC DD\r\n", {{"0", "AACC", "BBDD"}}},
                    Case{"SpacePieceClosesNothing",
                         D + "\r\n0: AA BB\r\n   \n1: CC DD\n  \r\n2: EE FF\r\n",
                         {{"0", "AACCEE", "BBDDFF"}}}),
    caseName);

INSTANTIATE_TEST_SUITE_P(
    Markers, ReadPatch,
    testing::Values(
        Case{"Anywhere", "x" + H + "  Far  2x2\r\nab" + D + "!\r\n0: AA BB", {{"Far", "AA", "BB"}}},
        Case{"BothInOnePieceIsHeader", D + " " + H + "X 1x1\r\n0: AA\r\n" + D + "\r\n1: BB", {{"X", "", "BB"}}},
        Case{"HeaderWithoutSpaceIsData", D + "\r\n0: AA BB##### Picture\r\n", {{"0", "AA", "BB##### Picture"}}},
        Case{"LowerCaseHeader", "##### picture low\r\n" + D, {{"0", "", ""}}},
        Case{"LowerCaseDataMarkerIsComment", D + "\r\n0: AA BB\r\n; picture data\r\n1: CC DD", {{"0", "AA", "BB"}}},
        Case{"SpaceBeforeSemicolonIsData", D + "\r\n ; note: CC DD\r\n", {{"0", "CC", "DD"}}},
        Case{"HeaderKeepsBlockOpen",
             D + "\r\n0: AA\r\n" + H + "next\r\n1: BB\r\n" + D + "\r\n2: CC",
             {{"0", "", "AABB"}, {"next", "", "CC"}}},
        Case{"DataBeforeMarkerIgnored", "0: AA BB\r\n" + D + "\r\n1: CC DD", {{"0", "CC", "DD"}}}),
    caseName);

INSTANTIATE_TEST_SUITE_P(
    Naming, ReadPatch,
    testing::Values(
        Case{"NoHeader", D + "\r\n" + D, {{"0", "", ""}, {"1", "", ""}}},
        Case{"NothingAfterMarker", H + "\r\n" + D + "\r\n" + H + "   \r\n" + D, {{"0", "", ""}, {"1", "", ""}}},
        Case{"SameWordTwice",
             D + "\r\n" + H + "logo 1x1\r\n" + H + "logo 2x2\r\n" + D + "\r\n" + D,
             {{"0", "", ""}, {"1", "", ""}, {"2", "", ""}}},
        Case{"AThenBThenA",
             H + "A\r\n" + D + "\r\n" + H + "B\r\n" + D + "\r\n" + H + "A\r\n" + D,
             {{"A", "", ""}, {"B", "", ""}, {"A", "", ""}}},
        Case{"CaseDiffers", H + "logo\r\n" + D + "\r\n" + H + "Logo\r\n" + D, {{"logo", "", ""}, {"Logo", "", ""}}},
        Case{"SeveralMarkers",
             H + "pic 1x1\r\n" + D + "\r\n" + D + "\r\n" + D,
             {{"pic", "", ""}, {"pic", "", ""}, {"pic", "", ""}}},
        Case{"TabIsPartOfName", H + "a\tb c\r\n" + D, {{"a\tb", "", ""}}},
        Case{"BytesAsRead",
             H + "\xff\0n\x80 1x1\r\n"s + D + "\r\n\0: \x01\x02 \xfe\0\r\n"s,
             {{"\xff\0n\x80"s, "\x01\x02", "\xfe\0"s}}}),
    caseName);

INSTANTIATE_TEST_SUITE_P(
    DataLines, ReadPatch,
    testing::Values(Case{"OneRun", D + "\r\n0012B0: 7F", {{"0", "", "7F"}}},
                    Case{"TwoRuns", D + "\r\n0012A0: 00 FF", {{"0", "00", "FF"}}},
                    Case{"ThreeRuns", D + "\r\n1: AA BB CC", {{"0", "AA", "BB CC"}}},
                    Case{"TabsOnly", D + "\r\n1:\tAA\tBB\t", {{"0", "", "\tAA\tBB\t"}}},
                    Case{"SeveralSpaces", D + "\r\n1:    AA    BB   ", {{"0", "AA", "BB"}}},
                    Case{"FirstColonOnly", D + "\r\n1:2: AA:BB CC", {{"0", "2:", "AA:BB CC"}}},
                    Case{"NothingAfterColon", D + "\r\n1:   \r\n2: AA BB", {{"0", "AA", "BB"}}},
                    Case{"NoColonKeepsBlockOpen", D + "\r\nAA BB\r\n2: CC DD", {{"0", "CC", "DD"}}}),
    caseName);

// The markers, the colon and the separating space lie far beyond 16-bit positions,
// in pieces longer than any read buffer.
TEST(LongLines, FoundAtAnyPosition) {
    for (const std::string end : {"\n", "\r\n", "\r"}) {
        const std::string file = std::string(5'000'000, 'x') + H + "Far 1x1" + end + std::string(40'000, 'x') + D +
                                 end + std::string(70'000, '0') + ": AA " + std::string(70'000, 'B') + end +
                                 "1: " + std::string(40'000, 'C') + "   DD" + end;
        const Records expected{{"Far", "AA" + std::string(40'000, 'C'), std::string(70'000, 'B') + "DD"}};
        EXPECT_EQ(read(file), expected) << "line end of " << end.size() << " byte(s)";
        EXPECT_TRUE(locatesEveryNewCharacter(file));
    }
}

// Line ends, a CR LF pair and a blank line fall on every position around the first
// megabyte, where a reader working in chunks must carry its state over.
TEST(LongLines, ChunkBoundaries) {
    const Records expected{{"0", "AACC", "BBDD"}};
    for (std::size_t pad = (1u << 20) - 48; pad <= (1u << 20); ++pad) {
        const std::string file =
            ";" + std::string(pad, 'x') + "\r\n" + D + "\r\n0: AA BB\r\n1: CC DD\r\n\r\n2: EE FF\r\n";
        EXPECT_EQ(read(file), expected) << "padding " << pad;
        EXPECT_TRUE(locatesEveryNewCharacter(file)) << "padding " << pad;
    }
}

// Runs of alike data lines, read in bulk, cross the read chunks at every phase of
// a line; the layout changes now and then, and so do the line ends.
TEST(LongLines, RunsAcrossChunksAreLocated) {
    std::mt19937 random(11);
    std::string file;
    for (int picture = 0; file.size() < 3'000'000; ++picture) {
        file += H + "p" + std::to_string(picture) + "\r\n" + D + "\r\n";
        const std::size_t width = 2 + random() % 40;
        const std::string end = random() % 4 == 0 ? "\n" : "\r\n";
        for (int line = 0, lines = int(random() % 3000); line < lines; ++line) {
            file += std::to_string(line) + ": " + std::string(width, 'A') + " " + std::string(width, 'b') + end;
        }
        file += "\r\n";
    }
    EXPECT_TRUE(locatesEveryNewCharacter(file));
}

// Random bytes with markers and line ends mixed in: the read ends, and what it
// keeps obeys the format (no line end inside a field, names are single words).
TEST(BinaryJunk, KeepsFormatInvariants) {
    const std::string tokens[] = {"\r", "\n", "\r\n", " ", ":", ";", D, H, "AB", "\0"s};
    std::mt19937 random(7);
    std::string file;
    std::size_t markers = 0;
    while (file.size() < 2'000'000) {
        const auto pick = random() % 20;
        if (pick < 10) {
            file += tokens[pick];
            markers += tokens[pick] == D;
        } else {
            file += static_cast<char>(random());
        }
    }
    const Records records = read(file);
    EXPECT_TRUE(locatesEveryNewCharacter(file));
    EXPECT_LE(records.size(), markers);
    EXPECT_GT(records.size(), 0u);
    for (const auto& record : records) {
        EXPECT_FALSE(record[0].empty());
        EXPECT_EQ(record[0].find(' '), std::string::npos);
        for (const auto& field : record) EXPECT_EQ(field.find_first_of("\r\n"), std::string::npos);
    }
}

// The law of every reader: what the reference model reads, whatever the chunks
// the stream is taken in and however the memory is obtained.
testing::AssertionResult agreesWithReference(const std::string& file, const hexpane::ReadSettings& settings) {
    const hexpane::LocatedPatch expected = reference::readPatch(file);
    std::istringstream in(file), again(file);
    if (const std::string d = reference::difference(hexpane::readPatchWith(in, settings), expected.pictures);
        !d.empty()) {
        return testing::AssertionFailure() << "readPatch: " << d;
    }
    if (const std::string d = reference::difference(hexpane::readPatchLocatedWith(again, settings), expected);
        !d.empty()) {
        return testing::AssertionFailure() << "readPatchLocated: " << d;
    }
    return compactFormsAgree(file, settings, expected);
}

// Chunks of one byte end at every position; longer ones carry pieces longer than
// themselves; large pages on and off.
const hexpane::ReadSettings kChunkings[] = {{1, false},  {2, true},    {3, false}, {7, true},
                                            {61, false}, {4096, true}, {}};

TEST(AgreesWithReference, OnTheCommittedFuzzCorpus) {
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(HEXPANE_PATCH_CORPUS)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string file{std::istreambuf_iterator<char>(in), {}};
        for (const hexpane::ReadSettings& settings : kChunkings) {
            EXPECT_TRUE(agreesWithReference(file, settings)) << entry.path() << ", chunks of " << settings.chunkSize;
        }
        ++files;
    }
    EXPECT_GT(files, 100u);
}

// Inputs of every hostile shape, and the parts of a patch that a chunk may cut:
// markers, CR LF pairs, runs of alike data lines, a layout that changes within a
// picture, blank lines.
std::vector<std::pair<std::string, std::string>> shapes() {
    const std::string run = "000010: 0123456789ABCDEF FEDCBA9876543210\r\n";
    std::string alike;
    for (int i = 0; i < 40; ++i) alike += run;
    const std::string layouts =
        "0: AA BB\r\n7: A  BB\r\n8: AA B \r\n1:AA\r\n:\r\n2:  AA   BB  \r\n3: A\tB C\tD\r\n4: AA BB\n5: AA BB\r6: "
        "CC\r\n";
    return {
        {"patch", "; x\r\n" + H + "logo 2x2\r\n" + D + "\r\n" + alike + layouts + alike + "\r\n" + alike + H + "b\r\n" +
                      D + "\r\n" + alike + "; end\r\n" + run + D + "\n" + alike + "\n\n" + layouts},
        {"zeros", D + "\r\n" + std::string(20'000, '\0') + "\r\n0: AA BB\r\n" + std::string(20'000, '\0')},
        {"control bytes",
         std::string(20'000, '\x01') + D + std::string(20'000, '\x0b') + "\r\n" + std::string(20'000, '\x7f')},
        {"text",
         std::string(20'000, 'P') + D + "\r\n" + std::string(9'000, 'P') + "Pi" + std::string(9'000, ' ') + ": x"},
        {"spaces",
         std::string(20'000, ' ') + "\r\n" + D + "\r\n0: AA BB\r\n" + std::string(20'000, ' ') + "\r\n1: CC DD"},
        {"line feeds", D + std::string(20'000, '\n') + "0: AA BB" + std::string(20'000, '\n')},
        {"carriage returns", D + "\n0: AA BB\n" + std::string(20'000, '\r') + D + std::string(20'000, '\r')},
        {"CR LF pairs", D + "\n" + std::string(20'000, '\r') + "\n" + D + "\n0: AA\r\n\r\n\r\n0: BB"},
        {"markers",
         [] {
             std::string file;
             for (int i = 0; i < 2'000; ++i) file += i % 3 ? D + "\r\n" : H + "p" + std::to_string(i % 7) + " 1x1\r\n";
             return file + "; Picture Dat\r\n##### Picture\r\n Picture Data\r\n";
         }()},
        {"one character", D + "\r\n" +
                              [] {
                                  std::string lines;
                                  for (int i = 0; i < 5'000; ++i)
                                      lines += "AB:;P \t"[i % 7] + std::string(i % 2 ? "\r\n" : "\n");
                                  return lines;
                              }()},
        {"wide gaps", D + "\r\n" +
                          [] {
                              std::string lines;
                              for (int i = 0; i < 30; ++i) {
                                  lines += std::string(i, ' ') + "0:" + std::string(1'000 + i, ' ') + "AA" +
                                           std::string(3'000, ' ') + "BB" + std::string(i % 3 * 500, ' ') + "\r\n";
                              }
                              return lines;
                          }()},
    };
}

TEST(AgreesWithReference, OnEveryShapeInChunksOfEverySize) {
    for (const auto& [shape, file] : shapes()) {
        for (const hexpane::ReadSettings& settings : kChunkings) {
            EXPECT_TRUE(agreesWithReference(file, settings)) << shape << ", chunks of " << settings.chunkSize;
        }
        for (std::size_t chunk = 8; chunk <= 80; ++chunk) {
            EXPECT_TRUE(agreesWithReference(file.substr(0, 2'000), {chunk, chunk % 2 == 0})) << shape << ", " << chunk;
        }
    }
}

// Memory the read takes in large steps, in large pages or not, from a heap that
// grows in large steps: pictures of many megabytes, and a line longer than any
// chunk, which the reader holds whole.
TEST(AgreesWithReference, WhateverTheMemory) {
    hexpane::useLargePagesForReading();  // for this test's process alone: CTest runs each test in its own
    std::mt19937 random(5);
    std::string file = H + "big 2048x2048\r\n" + D + "\r\n";
    for (int line = 0; file.size() < 12'000'000; ++line) {
        std::string bytes(64, '0');
        for (char& c : bytes) c = "0123456789ABCDEF"[random() % 16];
        file += std::to_string(line) + ": " + bytes + " " + bytes + (line % 5000 ? "\r\n" : "\r\n\r\n" + D + "\r\n");
    }
    file += "0: " + std::string(6'000'000, 'A') + " " + std::string(3'000'000, 'B');
    for (const bool largePages : {true, false}) {
        EXPECT_TRUE(agreesWithReference(file, {hexpane::ReadSettings().chunkSize, largePages})) << largePages;
    }
}

// A stream that says it holds `promise` more bytes than it has handed out,
// whatever it really holds.
class Promising : public std::streambuf {
public:
    Promising(std::string_view text, std::streamsize promise) : text_(text), promise_(promise) {}

protected:
    std::streamsize showmanyc() override { return promise_; }
    std::streamsize xsgetn(char* to, std::streamsize count) override {
        const std::size_t n = std::min(static_cast<std::size_t>(count), text_.size());
        std::copy_n(text_.data(), n, to);
        text_.remove_prefix(n);
        return static_cast<std::streamsize>(n);
    }

private:
    std::string_view text_;
    std::streamsize promise_;
};

// What a stream says it still holds is a hint the list's growth follows: whether
// it says nothing, too little, too much, or more than the memory can hold, the
// reading is the reference's, and the lists keep no more room than doubling does.
TEST(AgreesWithReference, WhateverTheStreamPromises) {
    std::vector<std::streamsize> promises = {0, 1, 64 << 20};
    std::optional<hexpane::test::MemoryLimit> limit;
    // AddressSanitizer maps more than the limit leaves, and ends the process when memory is short.
#if !defined(__SANITIZE_ADDRESS__)
    promises.push_back(std::streamsize{1} << 40);
    limit.emplace(std::size_t{512} << 20);
#endif
    auto files = shapes();
    std::string markers;
    for (int i = 0; i < 30'000; ++i)
        markers += i % 1000 ? D + "\r\n" : H + "p" + std::to_string(i) + "\r\n0: AA BB\r\n";
    files.emplace_back("many data markers", markers);
    for (const auto& [shape, file] : files) {
        const hexpane::LocatedPatch expected = reference::readPatch(file);
        for (const std::streamsize promise : promises) {
            Promising buffer(file, promise), again(file, promise);
            std::istream in(&buffer), inAgain(&again);
            const std::vector<hexpane::PictureRecord> pictures = hexpane::readPatch(in);
            const hexpane::LocatedPatch located = hexpane::readPatchLocated(inAgain);
            EXPECT_EQ(reference::difference(pictures, expected.pictures), "") << shape << ", " << promise;
            EXPECT_EQ(reference::difference(located, expected), "") << shape << ", " << promise;
            EXPECT_LE(pictures.capacity(), 2 * pictures.size() + 32) << shape << ", " << promise;
            EXPECT_LE(located.newTextRuns.capacity(), 2 * pictures.size() + 32) << shape << ", " << promise;
        }
    }
}

TEST(LocateNewText, RefusesPicturesNotInOrder) {
    std::istringstream in(D + "\r\n0: AA BB\r\n" + D + "\r\n1: CC DD\r\n");
    const std::size_t wanted[] = {1, 0};
    EXPECT_THROW(hexpane::locateNewText(in, wanted), std::invalid_argument);
}

TEST(PixelCount, HalfTheNewHexLengthUntilItPasses32Bits) {
    const struct {
        std::size_t length;
        std::int32_t count;
    } rows[] = {
        {0, 0},
        {1, 0},
        {77, 38},
        {2 * std::size_t{INT32_MAX} + 1, INT32_MAX},
        {2 * std::size_t{INT32_MAX} + 2, -1},
        {(std::size_t{1} << 33) + 200, -1},
    };
    for (const auto& row : rows) EXPECT_EQ(hexpane::pixelCount(row.length), row.count) << row.length;
    EXPECT_EQ(hexpane::pixelCount(hexpane::PictureRecord{"n", "", "ABCDE"}), 2);
    EXPECT_EQ(hexpane::pixelCount(hexpane::PictureText{"n", "", "ABCDE"}), 2);
}

}  // namespace
