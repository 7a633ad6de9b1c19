#!/usr/bin/env bash
# cmake/wine-run.sh where the kernel cannot execute 32-bit programs, played by
# a loader it refuses: the probe and a run each say why in one line and exit
# 77 (a skip to CTest) without starting Wine; with a loader that runs, the
# probe passes silently and the run goes to Wine.
# Usage: wine_run_test.sh <repository root>
set -u
wine_run="$1/cmake/wine-run.sh"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/bin"
printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000\002\000\003\000' >"$scratch/refused"
printf '#!/bin/sh\necho wine-8.0\n' >"$scratch/runs"
printf '#!/bin/sh\necho "wine $*"\n' >"$scratch/bin/wine"
chmod +x "$scratch/refused" "$scratch/runs" "$scratch/bin/wine"
export PATH="$scratch/bin:$PATH"

failures=0
# expect <loader> <code> <output> <arguments...>
expect() {
    local out code
    out=$(QUORL_WINE_LOADER="$scratch/$1" "$wine_run" "${@:4}" 2>&1)
    code=$?
    [ "$code" -eq "$2" ] && [ "$out" = "$3" ] && return
    echo "FAIL: loader $1, ${*:4}: exit $code (not $2), printed [$out] (not [$3])"
    failures=$((failures + 1))
}
skip="Wine tests skipped: this machine cannot execute 32-bit programs ($scratch/refused: Exec format error)"
expect refused 77 "$skip" --probe
expect refused 77 "$skip" quorl.exe
expect runs 0 "" --probe
expect runs 0 "wine quorl.exe" quorl.exe
[ "$failures" -eq 0 ] && echo "ok: the probe skips where 32-bit programs cannot run"
