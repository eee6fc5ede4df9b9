#!/usr/bin/env bash
# The style checks CI runs: clang-format on every C++ file, clang-tidy on src/.
#   scripts/lint.sh BUILD_DIR   (a build configured with compile commands, as every preset is)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:?usage: scripts/lint.sh BUILD_DIR}

git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
# Only the project's own sources, not the files Qt generates into the build tree.
run-clang-tidy -quiet -p "$build" "^$PWD/src/" > "$build/clang-tidy.log" 2>&1 || {
    grep -E 'warning:|error:' "$build/clang-tidy.log" >&2 || cat "$build/clang-tidy.log" >&2
    echo "clang-tidy found problems in src/ (whole log: $build/clang-tidy.log)" >&2
    exit 1
}
echo "lint passed: clang-format and clang-tidy"
