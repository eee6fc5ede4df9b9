#include "tables/table_problem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tables/colour_table.h"
#include "tables/size_table.h"

namespace hexpane {
namespace {

using namespace std::string_literals;

// A stream that fails once its text is used up, as a disk error would.
struct FailingBuffer : std::streambuf {
    std::string text;
    explicit FailingBuffer(std::string bytes) : text(std::move(bytes)) {
        setg(text.data(), text.data(), text.data() + text.size());
    }
    int_type underflow() override { throw std::ios_base::failure("disk gone"); }
};

// Reads text as a colour table or a size table, through a stream that fails
// at its end when `fails`; `problems` is either form of the problem list.
template <typename Problems>
void readTable(bool colour, const std::string& text, bool fails, Problems&& problems) {
    FailingBuffer failing(text);
    std::stringbuf whole(text);
    std::istream in(fails ? static_cast<std::streambuf*>(&failing) : &whole);
    if (colour) {
        readColourTable(in, problems);
    } else {
        readSizeTable(in, problems);
    }
}

bool printable(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
}

// The readers' text form gives each problem of the data form as its one-line
// description, in printable ASCII whatever bytes the file's codes hold.
TEST(TableProblemText, TheTextFormDescribesEachProblemPrintably) {
    const struct {
        std::string text;
        bool fails;
    } rows[] = {
        {"\x1b[2J 000000\n\x1b[2J\n\"\\\n\"\\\n\xE9\xE9\n\xE9\xE9\n1E400,1\n00\n00\n00\n00\n00\n00\n"s, false},
        {"\0\n\0\n"s, true},
        {"0"s, true},
    };
    std::set<TableProblemKind> kinds;
    for (const auto& row : rows) {
        for (const bool colour : {true, false}) {
            SCOPED_TRACE(testing::PrintToString(row.text) + (colour ? " as colours" : " as sizes"));
            std::vector<TableProblem> problems;
            std::vector<std::string> texts;
            readTable(colour, row.text, row.fails, problems);
            readTable(colour, row.text, row.fails, &texts);
            ASSERT_EQ(texts.size(), problems.size());
            for (std::size_t i = 0; i < problems.size(); ++i) {
                EXPECT_EQ(texts[i], describe(problems[i]));
                EXPECT_TRUE(printable(texts[i])) << texts[i];
                kinds.insert(problems[i].kind);
            }
        }
    }
    EXPECT_EQ(kinds.size(), 7u);  // the rows cover every kind
}

}  // namespace
}  // namespace hexpane
