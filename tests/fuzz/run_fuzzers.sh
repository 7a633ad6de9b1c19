#!/usr/bin/env bash
# Runs the fuzz targets built by the fuzz preset, one after another, each for
# the given number of seconds, starting from its committed seeds.
# Usage: tests/fuzz/run_fuzzers.sh <seconds per target> [target...]
# Targets: script var mesh image hlsl (all when none is named). A crash stops
# the run; the input is left in build/fuzz/crashes/<target>/ and belongs, once
# fixed, in tests/fuzz/regressions/<target>/.
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:?seconds per target}
shift
targets=("$@")
[ "${#targets[@]}" -gt 0 ] || targets=(script var mesh image hlsl)

for target in "${targets[@]}"; do
    binary=build/fuzz/tests/fuzz/quorl_fuzz_$target
    [ -x "$binary" ] || { echo "$binary is missing: cmake --preset fuzz && cmake --build --preset fuzz"; exit 1; }
    corpus=build/fuzz/corpus/$target
    # Absolute: the script target changes the working directory while it runs.
    crashes=$PWD/build/fuzz/crashes/$target
    mkdir -p "$corpus" "$crashes"
    options=(-max_total_time="$seconds" -timeout=20 -rss_limit_mb=2560 -max_len=16384
             -artifact_prefix="$crashes/" -print_final_stats=1)
    [ -f "tests/fuzz/$target.dict" ] && options+=(-dict="tests/fuzz/$target.dict")
    seeds=(tests/fuzz/corpus/"$target")
    [ -d tests/fuzz/regressions/"$target" ] && seeds+=(tests/fuzz/regressions/"$target")
    echo "fuzzing $target for $seconds s"
    ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$PWD/tests/fuzz/lsan.supp:print_suppressions=0 \
        "$binary" "${options[@]}" "$corpus" "${seeds[@]}" \
        2>&1 | tail -n 40
done
