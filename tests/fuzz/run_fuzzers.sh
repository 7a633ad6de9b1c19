#!/usr/bin/env bash
# Runs the fuzz targets built by the fuzz preset, each for the given number of
# seconds, starting from its committed seeds; with -j N, N targets at a time.
# Usage: tests/fuzz/run_fuzzers.sh [-j N] <seconds per target> [target...]
# Targets: script var mesh image hlsl audio (all when none is named), and
# hlsl_in_process, which glslang's own crashes stop. A crash ends
# that target's run with its input in build/fuzz/crashes/<target>/, which
# belongs, once fixed, in tests/fuzz/regressions/<target>/.
set -euo pipefail
cd "$(dirname "$0")/../.."
parallel=1
if [ "${1:-}" = "-j" ]; then
    parallel=$2
    shift 2
fi
seconds=${1:?seconds per target}
shift
targets=("$@")
[ "${#targets[@]}" -gt 0 ] || targets=(script var mesh image hlsl audio)
# Where LeakSanitizer cannot run (no ptrace), the probe says so and the runs
# look for the other faults.
leaks=1
bash cmake/lsan-probe.sh clang++ || leaks=0

# fuzz <target>: one run, its report in build/fuzz/<target>.log.
fuzz() {
    local target=$1
    local binary=build/fuzz/tests/fuzz/quorl_fuzz_$target
    [ -x "$binary" ] || { echo "$binary is missing: cmake --preset fuzz && cmake --build --preset fuzz"; return 1; }
    local corpus=build/fuzz/corpus/$target
    # Absolute: the script target changes the working directory while it runs.
    local crashes=$PWD/build/fuzz/crashes/$target
    mkdir -p "$corpus" "$crashes"
    local options=(-max_total_time="$seconds" -timeout=20 -rss_limit_mb=2560 -max_len=16384
                   -artifact_prefix="$crashes/" -print_final_stats=1 -detect_leaks="$leaks")
    [ -f "tests/fuzz/$target.dict" ] && options+=(-dict="tests/fuzz/$target.dict")
    # hlsl_in_process starts from the hlsl seeds; the hlsl regressions are
    # sources that crash glslang, which would stop it at once.
    local seeds=(tests/fuzz/corpus/"${target%_in_process}")
    [ -d tests/fuzz/regressions/"$target" ] && seeds+=(tests/fuzz/regressions/"$target")
    ASAN_OPTIONS=detect_leaks=$leaks LSAN_OPTIONS=suppressions=$PWD/tests/fuzz/lsan.supp:print_suppressions=0 \
        "$binary" "${options[@]}" "$corpus" "${seeds[@]}" >"build/fuzz/$target.log" 2>&1
}

failed=()
running=()
finish_one() {
    local entry=${running[0]}
    running=("${running[@]:1}")
    local pid=${entry%%:*} target=${entry#*:}
    if wait "$pid"; then
        echo "$target: no crash in $seconds s ($(grep -o 'number_of_executed_units: [0-9]*' "build/fuzz/$target.log" | cut -d' ' -f2) runs)"
    else
        echo "$target: FAILED"
        tail -n 60 "build/fuzz/$target.log"
        failed+=("$target")
    fi
}
for target in "${targets[@]}"; do
    [ "${#running[@]}" -lt "$parallel" ] || finish_one
    echo "fuzzing $target for $seconds s"
    fuzz "$target" &
    running+=("$!:$target")
done
while [ "${#running[@]}" -gt 0 ]; do finish_one; done
[ "${#failed[@]}" -eq 0 ]
