#!/bin/bash
# Regenerates the golden references under tests/golden/reference/ from the
# built quorl-capture, all of them or those whose names match a pattern. Look
# at each picture before committing it.
#   tools/update-golden.sh [build dir, default build/debug] [name pattern, e.g. 'tunnel|edges']
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/debug}
cmake --build "$build" --target quorl-capture quorl-compare-frames
QUORL_UPDATE_GOLDEN=1 ctest --test-dir "$build" -L golden -R "^golden\.(${2:-.*})\$" --output-on-failure
git -C "$root" status --short --untracked-files=all -- tests/golden/reference
