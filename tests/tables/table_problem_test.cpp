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

// Reads text as a colour table or a size table; `problems` is either form of
// the problem list.
template <typename Problems>
void readTable(bool colour, const std::string& text, Problems&& problems) {
    std::istringstream in(text);
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
    const std::string texts[] = {
        "\x1b[2J 000000\n\x1b[2J\n\"\\\n\"\\\n\xE9\xE9\n\xE9\xE9\n1E400,1\n00\n00\n00\n00\n00\n00\n"s,
        "\0\n\0\n"s,
    };
    std::set<TableProblemKind> kinds;
    for (const std::string& text : texts) {
        for (const bool colour : {true, false}) {
            SCOPED_TRACE(testing::PrintToString(text) + (colour ? " as colours" : " as sizes"));
            std::vector<TableProblem> problems;
            std::vector<std::string> described;
            readTable(colour, text, problems);
            readTable(colour, text, &described);
            ASSERT_EQ(described.size(), problems.size());
            for (std::size_t i = 0; i < problems.size(); ++i) {
                EXPECT_EQ(described[i], describe(problems[i]));
                EXPECT_TRUE(printable(described[i])) << described[i];
                kinds.insert(problems[i].kind);
            }
        }
    }
    EXPECT_EQ(kinds.size(), 6u);  // every kind but a read failure
}

}  // namespace
}  // namespace hexpane
