#!/bin/sh
# Builds the libFuzzer targets (preset fuzz: clang with AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for SECONDS (default 30), one
# after the other, starting from the seed corpus in tests/fuzz/corpus (left
# unchanged; new inputs go to build/fuzz/corpus). Prints the executions of
# each target and in all. A finding fails the run; the input that caused it
# is kept in build/fuzz/findings.
#
# Usage: tools/fuzz.sh [SECONDS] [TARGET...]
#   tools/fuzz.sh                 every target for 30 s (what the tests run)
#   tools/fuzz.sh 3600            every target for an hour
#   tools/fuzz.sh 600 utf16_text  one target for ten minutes
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-30}
[ $# -gt 0 ] && shift
targets=${*:-$(ls tests/fuzz/corpus)}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j 2 >/dev/null

mkdir -p build/fuzz/findings
total=0
failed=""
for target in $targets; do
    work=build/fuzz/corpus/$target
    log=build/fuzz/$target.log
    mkdir -p "$work"
    if build/fuzz/tests/fuzz/fuzz_"$target" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix=build/fuzz/findings/"$target"- "$work" tests/fuzz/corpus/"$target" >"$log" 2>&1; then
        result="no finding"
    else
        result="FINDING (see $log)"
        failed="$failed $target"
    fi
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    executions=${executions:-0}
    total=$((total + executions))
    printf '%-24s %12s executions in %ss, %s\n' "$target" "$executions" "$seconds" "$result"
done
printf '%-24s %12s executions\n' "all targets" "$total"
if [ -n "$failed" ]; then
    echo "fuzzing found faults in:$failed"
    exit 1
fi
