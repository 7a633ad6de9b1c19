# What every end-to-end script shares: its own X server, case bookkeeping and
# waiting for the program to end. Sourced first thing, with the script's
# arguments still in place; the script then sets current, pid and before, and
# its own trap that removes $scratch.

# Re-runs the script under an X server of its own, without key auto-repeat: a
# key held while a loaded machine stalls xdotool would repeat into whatever
# window comes next. e2e_screen may ask for another screen.
if [ -z "${DISPLAY:-}" ] || [ -z "${QUORL_E2E_INNER:-}" ]; then
    export QUORL_E2E_INNER=1
    exec xvfb-run -a -s "-screen 0 ${e2e_screen:-1280x1024x24} -nolisten tcp -r" bash "$0" "$@"
fi
unset SDL_VIDEODRIVER
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}

failures=0
passes=0
scratch=$(mktemp -d)

# GTK waits for an accessibility bus that a test display does not have.
export NO_AT_BRIDGE=1

fail() { echo "FAIL: $current: $*"; failures=$((failures + 1)); }

# wait_exit <seconds>: sets rc, or fails and kills the program on a time-out.
wait_exit() {
    local waited=0
    while kill -0 "$pid" 2>/dev/null; do
        if [ "$waited" -ge $(($1 * 10)) ]; then
            fail "still running after $1 s"
            kill -9 "$pid" 2>/dev/null
            wait "$pid" 2>/dev/null
            rc=137
            return
        fi
        sleep 0.1
        waited=$((waited + 1))
    done
    wait "$pid"
    rc=$?
}

# esc_if_running: Esc to the window $wid while the program $pid runs; a failure
# when it has already ended.
esc_if_running() {
    if kill -0 "$pid" 2>/dev/null; then
        xdotool windowfocus --sync "$wid" 2>/dev/null
        xdotool key --clearmodifiers Escape
    else
        fail "ended on its own"
    fi
}

# find_visible <seconds> <title regex>: prints the first visible window with that
# title once there is one. xdotool gives up on the whole search when a window
# goes away while it walks the tree (as the Settings dialog's do when it
# closes), so one search is not enough: search again until the time is up.
find_visible() {
    local tries=$(($1 * 5)) found=
    while [ "$tries" -gt 0 ]; do
        found=$(xdotool search --onlyvisible --name "$2" 2>/dev/null | head -n 1)
        [ -n "$found" ] && echo "$found" && return 0
        sleep 0.2
        tries=$((tries - 1))
    done
    return 1
}

finish_case() {
    if [ "$failures" -eq "$before" ]; then
        echo "ok: $current"
        passes=$((passes + 1))
    fi
}
