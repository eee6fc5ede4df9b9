// Checks on what a table reader reports about a whole file.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "tables/table_problem.h"

namespace hexpane {

inline void PrintTo(const TableProblem& problem, std::ostream* out) { *out << describe(problem); }

// Success when the problems are none and none were expected, or when one of
// them is of the kind expected.
inline testing::AssertionResult reports(const std::vector<TableProblem>& problems,
                                        std::optional<TableProblemKind> kind) {
    const bool said =
        kind ? std::any_of(problems.begin(), problems.end(), [&](const TableProblem& p) { return p.kind == *kind; })
             : problems.empty();
    if (said) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "expected " << (kind ? "a problem of the kind" : "no problem") << ", got "
                                       << testing::PrintToString(problems);
}

}  // namespace hexpane
