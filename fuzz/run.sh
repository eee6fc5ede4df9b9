#!/usr/bin/env bash
# Runs every *_fuzz target of a build: first once over every input of its
# committed corpus (fuzz/corpus/<target>), so that any input ever found
# interesting keeps being checked, then for SECONDS seconds of fuzzing on a
# scratch copy of that corpus. Fails on any crash, leak, timeout or sanitizer
# report in either.
#   fuzz/run.sh SECONDS [BUILD_DIR]     (BUILD_DIR defaults to build-fuzz)
# Reproducers are kept in BUILD_DIR/fuzz-artifacts and dumped in hex to the log.
# With HEXPANE_FUZZ_KEEP=DIR the grown corpora are copied to DIR/<target>.
set -euo pipefail

if [[ $# -lt 1 || ! $1 =~ ^[1-9][0-9]*$ ]]; then
    echo "usage: $0 SECONDS [BUILD_DIR]" >&2
    exit 2
fi
seconds=$1
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${2:-$here/../build-fuzz}" && pwd)
artifacts=$build/fuzz-artifacts
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

export ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1:print_stacktrace=1:symbolize=1
export UBSAN_OPTIONS=halt_on_error=1:abort_on_error=1:print_stacktrace=1:symbolize=1

# Long enough for every structure of the input: a patch across the reader's
# first chunk of 4 KiB, a whole map.txt of 256 lines, any table or picture.
max_len() {
    case $1 in
        patch_reader_fuzz) echo 8192 ;;
        render_fuzz | colour_table_fuzz | size_table_fuzz) echo 4096 ;;
        *) echo 1024 ;;
    esac
}

dump() {
    if command -v xxd >/dev/null; then xxd "$1"; else od -A x -t x1z -v "$1"; fi
}

mapfile -t targets < <(find "$build" -type f -name '*_fuzz' -perm -u+x | sort)
if [[ ${#targets[@]} -eq 0 ]]; then
    echo "no *_fuzz targets in $build: build them first" >&2
    exit 1
fi

report='ERROR: (Address|Leak|Undefined)Sanitizer|runtime error:|invariant failed|deadly signal|ERROR: libFuzzer'

# Checks a run's exit status and log; on failure prints the report and the
# reproducers and returns 1.
check() {  # name, exit status, log
    local name=$1 status=$2 log=$3
    if [[ $status -eq 0 ]] && ! grep -qE "$report" "$log"; then return 0; fi
    # The log from the first report on, or its end when there is none.
    local first
    first=$(grep -nE "$report" "$log" | head -n 1 | cut -d: -f1 || true)
    if [[ -n $first ]]; then tail -n "+$first" "$log" | head -n 300; else tail -n 100 "$log"; fi
    echo "!!! $name failed (exit $status)"
    for found in "$artifacts/$name-"*; do
        [[ -f $found ]] || continue
        echo "--- reproducer $found ($(wc -c <"$found") bytes):"
        dump "$found"
    done
    return 1
}

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
    if ! check "$name" "$status" "$log"; then
        failed+=("$name")
        continue
    fi
    grep -E '^#[0-9]+[[:space:]]+INITED' "$log" || true

    log=$scratch/$name.log
    echo "=== $name: ${seconds}s"
    status=0
    "$target" "$corpus" -max_total_time="$seconds" -dict="$here/hexpane.dict" -max_len="$(max_len "$name")" \
        -print_final_stats=1 "${common[@]}" >"$log" 2>&1 || status=$?
    if check "$name" "$status" "$log"; then
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
