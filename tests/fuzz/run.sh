#!/usr/bin/env bash
# Runs every fuzz target built in BUILD_DIR for SECONDS each, on a working copy of its seed corpus
# (tests/fuzz/corpus/<target>, which the run never changes). Prints each target's runs and
# status, then a summary; the status is non-zero when any target crashed, hung, leaked or ran out
# of memory. What a target found stays in BUILD_DIR/fuzz-findings/<target>/.
#   tests/fuzz/run.sh BUILD_DIR SECONDS
set -uo pipefail
build=$(realpath "$1")
seconds=$2
here=$(cd "$(dirname "$0")" && pwd)

targets=(sandbox_tokenizer sandbox_translate sql_highlight datetime_text quenby_sql_args sql_script)
dictionary() {
    case $1 in
    sandbox_* | sql_highlight | sql_script) echo "$here/sql.dict" ;;
    datetime_text) echo "$here/datetime.dict" ;;
    quenby_sql_args) echo "$here/args.dict" ;;
    esac
}

failed=()
total=0
for t in "${targets[@]}"; do
    work=$build/fuzz-work/$t
    findings=$build/fuzz-findings/$t
    log=$build/fuzz-logs/$t.log
    rm -rf "$work" "$findings"
    mkdir -p "$work" "$findings" "$(dirname "$log")"
    cp "$here/corpus/$t/"* "$work/"
    # First every seed and kept finding in full (fuzzing reads at most -max_len bytes of each),
    # then fuzzing. A hang (10 s on one input) and a memory blow-up count as findings like a
    # crash.
    fuzz() {
        TZ=UTC LC_ALL=C.UTF-8 \
            ASAN_OPTIONS=detect_leaks=1 \
            UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
            "$build/tests/fuzz/fuzz_$t" -timeout=10 -rss_limit_mb=2048 \
            -artifact_prefix="$findings/" "$@"
    }
    fuzz "$here/corpus/$t/"* >"$log" 2>&1 &&
        fuzz -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
            -dict="$(dictionary "$t")" "$work" >>"$log" 2>&1
    rc=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *\([0-9]*\).*/\1/p' "$log" | tail -1)
    [ -z "$runs" ] && runs=$(sed -n 's/^#\([0-9]*\).*/\1/p' "$log" | tail -1)
    runs=${runs:-0}
    total=$((total + runs))
    artifact=$(find "$findings" -type f | head -1)
    # A seed that fails when it is replayed names itself on the log's last "Running:" line.
    [ "$rc" -ne 0 ] && [ -z "$artifact" ] && artifact=$(sed -n 's/^Running: //p' "$log" | tail -1)
    if [ "$rc" -eq 0 ] && [ -z "$artifact" ]; then
        echo "fuzz $t: $runs runs, ok"
    else
        failed+=("$t")
        echo "fuzz $t: $runs runs, FAILED (exit $rc${artifact:+, input $artifact})"
        grep -E 'ERROR:|runtime error|SUMMARY|Test unit written|deadly signal|timeout' "$log" |
            head -20 | sed 's/^/    /'
        echo "    log: $log"
    fi
done

if [ ${#failed[@]} -eq 0 ]; then
    echo "fuzz: ${#targets[@]} targets, $total runs, no findings"
else
    echo "fuzz: ${#failed[@]} of ${#targets[@]} targets failed: ${failed[*]}"
    exit 1
fi
