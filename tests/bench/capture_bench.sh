#!/bin/bash
# Times quorl-capture over the whole show at 1024x768 on the offscreen driver
# (llvmpipe), once writing every frame and once stepping every frame but
# writing only the last (the difference is the cost of the PNG files), and,
# where perf works, splits the samples of the second run between our own code
# and the GL driver. Run by hand; not a test. FPS sets the stepped rate
# (default 60; the show is 168 s, so 10 gives a run of a few minutes).
#   [FPS=10] tests/bench/capture_bench.sh [path/to/quorl-capture]
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
capture=${1:-}
if [ -z "$capture" ]; then
    for candidate in "$root/build/release/tools/quorl-capture" "$root/build/debug/tools/quorl-capture"; do
        if [ -x "$candidate" ]; then
            capture=$candidate
            break
        fi
    done
fi
if [ -z "$capture" ] || [ ! -x "$capture" ]; then
    echo "capture_bench: build quorl-capture first (release preset for representative numbers)" >&2
    exit 1
fi

export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# The summary line: "... N frames stepped, M written to DIR in S s (F frames/s)".
run() {
    "$capture" --root "$root" --size 1024x768 --fps "${FPS:-60}" --out "$scratch/frames" "$@" 2>&1 >/dev/null | tail -n 1
}

end=$(sed -n 's/.*end_time="\([0-9]*\)".*/\1/p' "$root/data/demo.xml" | head -n 1)
echo "capture_bench: $capture"
echo "  every frame written:    $(run)"
rm -rf "$scratch/frames"
echo "  only the last written:  $(run --times "$end")"

if ! command -v perf >/dev/null || ! perf record -q -o "$scratch/probe.data" -- true >/dev/null 2>&1; then
    echo "  perf not usable here: no profile"
    exit 0
fi
rm -rf "$scratch/frames"
perf record -q -F 499 -o "$scratch/perf.data" -- \
    "$capture" --root "$root" --size 1024x768 --fps "${FPS:-60}" --out "$scratch/frames" --times "$end" --quiet >/dev/null 2>&1
echo "  samples by code (perf, only the last written):"
# Our code is linked statically into the tool; the driver arrives as shared objects.
perf report -i "$scratch/perf.data" --stdio --sort dso --percent-limit 0 2>/dev/null |
    awk -v tool="$(basename "$capture")" '
        /^#/ || NF < 2 { next }
        {
            share = $1; sub("%", "", share); dso = $2
            if (dso == tool) group = "ours (quorl_system, platform layer)"
            # llvmpipe lives in swrast_dri.so; the shaders it compiles run as [JIT] code.
            else if (dso ~ /gallium|llvmpipe|swrast|LLVM|JIT|mesa|libGL|libEGL|glapi|libgbm|libdrm/) group = "GL driver (llvmpipe, its JIT code, LLVM)"
            else if (dso ~ /libstb|libz/) group = "PNG encoding (stb)"
            else if (dso ~ /kernel|vdso/) group = "kernel"
            else if (dso ~ /libc|libm|libstdc|ld-linux/) group = "C and C++ runtime"
            else group = "other (" dso ")"
            total[group] += share
        }
        END {
            for (group in total) printf "    %6.2f%%  %s\n", total[group], group
        }' | sort -rn
