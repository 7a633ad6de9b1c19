#!/usr/bin/env bash
# Runs a Windows program under Wine with the program's own exit code: no debug
# output, no mono or gecko install prompts; the prefix is $WINEPREFIX or Wine's
# default.
# Some kernels (sandboxes, some containers) cannot execute 32-bit programs, so
# Wine's 32-bit loader cannot start: then it says so in one line and exits 77,
# which CTest counts as a skip. With --probe it only checks (0: Wine can run).
# QUORL_WINE_LOADER names another loader, to test that check.
loader=${QUORL_WINE_LOADER:-/usr/lib/wine/wine}
if [ -x "$loader" ]; then
    error=$("$loader" --version 2>&1 >/dev/null)
    # 126: the kernel refused to execute it ("Exec format error").
    if [ $? -eq 126 ]; then
        echo "Wine tests skipped: this machine cannot execute 32-bit programs ($loader: ${error##*: })"
        exit 77
    fi
fi
[ "${1:-}" = --probe ] && exit 0
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
exec wine "$@"
