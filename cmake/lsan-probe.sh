#!/usr/bin/env bash
# Whether LeakSanitizer works on this machine: it stops the process's threads
# with ptrace, which some sandboxes and containers refuse. Exits 1 with one
# line saying so when it does not; 0 when it works or cannot be tried.
# Usage: cmake/lsan-probe.sh <C++ compiler>
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
echo 'int main() { return 0; }' >"$scratch/probe.cpp"
"${1:-c++}" -fsanitize=address "$scratch/probe.cpp" -o "$scratch/probe" 2>/dev/null || exit 0
if ASAN_OPTIONS=detect_leaks=1 "$scratch/probe" 2>&1 | grep -q "LeakSanitizer has encountered a fatal error"; then
    echo "LeakSanitizer cannot run here (no ptrace): leak checks are off, memory errors are still checked"
    exit 1
fi
exit 0
