#!/usr/bin/env bash
# Grows the committed corpora: fuzzes each *_fuzz target of a build for RUNS
# executions, starting from a copy of fuzz/corpus/<target>, then merges into
# fuzz/corpus/<target> only those new inputs that reach coverage the committed
# ones do not (libFuzzer -merge=1), so the corpus stays small. One target at a
# time; fails on any crash, leak, timeout or sanitizer report.
#   fuzz/grow.sh RUNS [BUILD_DIR [TARGET...]]    (e.g. fuzz/grow.sh 5000000 build/fuzz render_fuzz)
# Prints each target's executions per second and its corpus before and after.
set -euo pipefail

if [[ $# -lt 1 || ! $1 =~ ^[1-9][0-9]*$ ]]; then
    echo "usage: $0 RUNS [BUILD_DIR [TARGET...]]" >&2
    exit 2
fi
runs=$1
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${2:-$here/../build/fuzz}" && pwd)
shift $(($# < 2 ? $# : 2))
artifacts=$build/fuzz-artifacts
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# shellcheck source=fuzz/lib.sh
source "$here/lib.sh"

size() {  # files and bytes of a folder
    echo "$(find "$1" -type f | wc -l) inputs, $(find "$1" -type f -printf '%s\n' | awk '{s += $1} END {print s + 0}') bytes"
}

mkdir -p "$artifacts"
failed=()
while read -r target; do
    name=$(basename "$target")
    if [[ $# -gt 0 && ! " $* " =~ " $name " ]]; then continue; fi
    committed=$here/corpus/${name%_fuzz}
    mkdir -p "$committed"
    grown=$scratch/$name
    mkdir -p "$grown"
    cp -R "$committed/." "$grown/"
    before=$(size "$committed")
    rm -f "$artifacts/$name-"*
    common=(-max_len="$(max_len "$name")" -rss_limit_mb=2048 -timeout=60 -artifact_prefix="$artifacts/$name-")

    log=$scratch/$name.log
    status=0
    "$target" "$grown" -runs="$runs" -dict="$here/hexpane.dict" -print_final_stats=1 "${common[@]}" >"$log" 2>&1 ||
        status=$?
    if ! check_run "$name" "$status" "$log" "$artifacts"; then
        failed+=("$name")
        continue
    fi
    status=0
    "$target" -merge=1 "$committed" "$grown" "${common[@]}" >"$log.merge" 2>&1 || status=$?
    if ! check_run "$name" "$status" "$log.merge" "$artifacts"; then
        failed+=("$name")
        continue
    fi
    echo "=== $name: $(grep -E '^stat::number_of_executed_units' "$log" | awk '{print $2}') runs," \
         "$(grep -E '^stat::average_exec_per_sec' "$log" | awk '{print $2}') exec/s;" \
         "corpus $before -> $(size "$committed")"
done < <(fuzz_targets "$build")

if [[ ${#failed[@]} -gt 0 ]]; then
    echo "growing failed: ${failed[*]}"
    exit 1
fi
