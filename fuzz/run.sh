#!/usr/bin/env bash
# Runs every *_fuzz target of a build: first once over every input of its
# committed corpus (fuzz/corpus/<target>), so that any input ever found
# interesting keeps being checked, then for SECONDS seconds of fuzzing on a
# scratch copy of that corpus. Fails on any crash, leak, timeout or sanitizer
# report in either.
#   fuzz/run.sh SECONDS [BUILD_DIR]     (BUILD_DIR defaults to build/fuzz)
# Reproducers are kept in BUILD_DIR/fuzz-artifacts and dumped in hex to the log.
# With HEXPANE_FUZZ_KEEP=DIR the grown corpora are copied to DIR/<target>.
set -euo pipefail

if [[ $# -lt 1 || ! $1 =~ ^[1-9][0-9]*$ ]]; then
    echo "usage: $0 SECONDS [BUILD_DIR]" >&2
    exit 2
fi
seconds=$1
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${2:-$here/../build/fuzz}" && pwd)
artifacts=$build/fuzz-artifacts
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# shellcheck source=fuzz/lib.sh
source "$here/lib.sh"

mapfile -t targets < <(fuzz_targets "$build")
if [[ ${#targets[@]} -eq 0 ]]; then
    echo "no *_fuzz targets in $build: build them first" >&2
    exit 1
fi

mkdir -p "$artifacts"
failed=()
for target in "${targets[@]}"; do
    name=$(basename "$target")
    corpus=$scratch/$name
    mkdir -p "$corpus"
    seeds=$here/corpus/${name%_fuzz}
    [[ -d $seeds ]] && cp -R "$seeds/." "$corpus/"
    rm -f "$artifacts/$name-"*
    common=(-rss_limit_mb=2048 -timeout=60 -artifact_prefix="$artifacts/$name-")

    # Every committed input, once and whole (no -max_len, which would cut longer ones).
    log=$scratch/$name.replay.log
    echo "=== $name: replaying $(find "$corpus" -type f | wc -l) committed inputs"
    status=0
    "$target" "$corpus" -runs=0 "${common[@]}" >"$log" 2>&1 || status=$?
    if ! check_run "$name" "$status" "$log" "$artifacts"; then
        failed+=("$name")
        continue
    fi
    grep -E '^#[0-9]+[[:space:]]+INITED' "$log" || true

    log=$scratch/$name.log
    echo "=== $name: ${seconds}s"
    status=0
    "$target" "$corpus" -max_total_time="$seconds" -dict="$here/hexpane.dict" -max_len="$(max_len "$name")" \
        -print_final_stats=1 "${common[@]}" >"$log" 2>&1 || status=$?
    if check_run "$name" "$status" "$log" "$artifacts"; then
        grep -E '^#[0-9]+[[:space:]]+DONE|^stat::' "$log" || true
    else
        failed+=("$name")
    fi
    if [[ -n ${HEXPANE_FUZZ_KEEP:-} ]]; then
        mkdir -p "$HEXPANE_FUZZ_KEEP/$name"
        cp -R "$corpus/." "$HEXPANE_FUZZ_KEEP/$name/"
    fi
done

if [[ ${#failed[@]} -gt 0 ]]; then
    echo "fuzzing failed: ${failed[*]}"
    exit 1
fi
echo "fuzzing passed: ${#targets[@]} targets, ${seconds}s each"
