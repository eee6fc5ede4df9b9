// Checks on what a table reader reports about a whole file.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace hexpane {

// Success when the problems are none and none were expected (fragment is
// nullptr), or when one of them holds fragment.
inline testing::AssertionResult reports(const std::vector<std::string>& problems, const char* fragment) {
    const bool said = fragment
                          ? std::any_of(problems.begin(), problems.end(),
                                        [&](const std::string& p) { return p.find(fragment) != std::string::npos; })
                          : problems.empty();
    if (said) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "expected " << (fragment ? fragment : "no problem") << ", got "
                                       << testing::PrintToString(problems);
}

}  // namespace hexpane
