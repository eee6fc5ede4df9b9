# What fuzz/run.sh and fuzz/grow.sh share; sourced, not run.

export ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1:print_stacktrace=1:symbolize=1
export UBSAN_OPTIONS=halt_on_error=1:abort_on_error=1:print_stacktrace=1:symbolize=1

# Long enough for every structure of the input: a patch as long as the reader's
# first chunk (its boundaries are checked by a padded re-read), tables of dozens
# of lines, texts for all the pixels the render target draws. Every line of a
# table costs the fuzzer time, and a longer one adds nothing the reader does:
# the size table's lines are short, and each is read several times.
max_len() {
    case $1 in
        patch_reader_fuzz | render_fuzz) echo 4096 ;;
        size_table_fuzz) echo 512 ;;
        *) echo 1024 ;;
    esac
}

dump() {
    if command -v xxd >/dev/null; then xxd "$1"; else od -A x -t x1z -v "$1"; fi
}

# The *_fuzz targets of a build, one path a line.
fuzz_targets() {
    find "$1" -type f -name '*_fuzz' -perm -u+x | sort
}

report='ERROR: (Address|Leak|Undefined)Sanitizer|runtime error:|invariant failed|deadly signal|ERROR: libFuzzer'

# Checks a run's exit status and log; on failure prints the report and the
# reproducers (ARTIFACTS/NAME-*) and returns 1.
check_run() {  # name, exit status, log, artifacts
    local name=$1 status=$2 log=$3 artifacts=$4
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
