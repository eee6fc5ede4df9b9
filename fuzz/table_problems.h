// What the table fuzz targets expect a reader to report, from the problems of
// single lines their models found.
#pragma once

#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "tables/table_problem.h"

namespace fuzz {

// The line problems as reported: the first five, then how many more; then a
// NUL byte anywhere in `text`, and the table giving nothing to use
// (`useless`), once each.
inline std::vector<hexpane::TableProblem> reported(std::vector<hexpane::TableProblem> lines, std::string_view text,
                                                   std::optional<hexpane::TableProblemKind> useless) {
    using Kind = hexpane::TableProblemKind;
    if (lines.size() > 5) {
        const hexpane::TableProblem more{
            .kind = Kind::NotShown, .count = lines.size() - 5, .hiddenKind = lines[0].kind};
        lines.resize(5);
        lines.push_back(more);
    }
    if (text.find('\0') != std::string_view::npos) lines.push_back({.kind = Kind::NulBytes});
    if (useless) lines.push_back({.kind = *useless});
    return lines;
}

}  // namespace fuzz
