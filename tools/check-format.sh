#!/usr/bin/env bash
# Checks (or with --fix, applies) the house style of .clang-format on our C and
# C++ sources; third-party and generated files are left as they come.
# Usage: tools/check-format.sh [--fix]
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h' '*.c' |
    grep -v -e '^platform/bass/stb_vorbis.c$' -e '^tests/support/null_d3d9.h$')
if [ "${1:-}" = "--fix" ]; then
    clang-format -i "${files[@]}"
else
    clang-format --dry-run --Werror "${files[@]}"
fi
