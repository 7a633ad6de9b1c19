#!/usr/bin/env bash
# quorl.exe under Wine in Xvfb, playing into a PulseAudio null sink: after the
# Settings dialog it opens its window and lives with the shipped show, Esc ends
# it with exit code 0, it writes no files; without a script, or without a sound
# output, it ends at once with 0.
# Pictures are not checked: Wine's HLSL compiler may bind constants
# differently from Windows.
# Usage: wine_smoke_test.sh <quorl.exe> <repository root>
set -u
quorl=$(realpath "$1")
root=$(realpath "$2")
wine_run="$root/cmake/wine-run.sh"
# Where Wine's 32-bit loader cannot run, the probe says why and the test is skipped.
"$wine_run" --probe || exit

# Xvfb cannot switch modes, so the screen already has the full-screen
# run's 1024x768; Wine's device creation would fail on the mode change.
e2e_screen=1024x768x24
. "$(dirname "$0")/e2e_common.sh"

pulse_pid=
cleanup() {
    [ -n "$pulse_pid" ] && kill "$pulse_pid" 2>/dev/null && wait "$pulse_pid" 2>/dev/null
    rm -rf "$scratch"
}
trap cleanup EXIT

# A private PulseAudio with one null sink, so that the sound output opens on
# a machine without a sound card.
start_pulse() {
    mkdir -p "$scratch/pulse"
    HOME="$scratch/pulse" XDG_RUNTIME_DIR="$scratch/pulse" \
        pulseaudio --daemonize=no --exit-idle-time=-1 -n --use-pid-file=no --disable-shm=yes \
        --load="module-null-sink sink_name=quorl_null" \
        --load="module-native-protocol-unix auth-anonymous=1 socket=$scratch/pulse/native" \
        >"$scratch/pulse/log" 2>&1 &
    pulse_pid=$!
    for _ in $(seq 50); do
        [ -S "$scratch/pulse/native" ] && return 0
        sleep 0.1
    done
    return 1
}

# start_demo <working dir>: runs the program there, its output kept outside it.
start_demo() {
    (cd "$1" && exec "$wine_run" "$quorl" >"$scratch/stdout" 2>"$scratch/stderr") &
    pid=$!
}

# Accepts the Settings dialog with 4x anti-aliasing (the focus starts on OK;
# five tabs reach the anti-aliasing box, Up goes from 6x to 4x), if it comes up
# before the program ends or opens its window: Mesa gives no 6x multisampling.
# Other keys may be given instead, ending with Return.
pass_settings() {
    local waited=0 dialog keys=("$@")
    [ "${#keys[@]}" -gt 0 ] || keys=(Tab Tab Tab Tab Tab Up Return)
    settings_seen=
    while [ "$waited" -lt 600 ] && kill -0 "$pid" 2>/dev/null; do
        dialog=$(xdotool search --onlyvisible --name '^Settings$' 2>/dev/null | head -n 1)
        if [ -n "$dialog" ]; then
            xdotool windowfocus --sync "$dialog" 2>/dev/null
            # The dialog takes keys only once it has drawn and set its focus.
            sleep 1
            xdotool key --clearmodifiers --delay 150 "${keys[@]}"
            settings_seen=1
            return
        fi
        xdotool search --onlyvisible --name "^Dravik's Quorl\$" >/dev/null 2>&1 && return
        sleep 0.1
        waited=$((waited + 1))
    done
}

find_window() {
    pass_settings
    wid=$(find_visible 60 "^Dravik's Quorl\$")
    [ -n "$wid" ]
}

# expect_exit_zero [quiet]: with "quiet", nothing may reach stderr either.
expect_exit_zero() {
    [ "$rc" -eq 0 ] || fail "exit code $rc"
    [ -s "$scratch/stdout" ] && fail "printed: $(head -c 200 "$scratch/stdout")"
    [ "${1:-}" = quiet ] && [ -s "$scratch/stderr" ] && fail "printed to stderr: $(head -c 200 "$scratch/stderr")"
    true
}

begin_case() {
    current=$1
    before=$failures
    dir="$scratch/$2"
    mkdir -p "$dir"
}

# The prefix is made (or brought up to date) once, before anything is timed.
"$wine_run" wineboot -i >/dev/null 2>&1
wineserver -w

start_pulse || { echo "FAIL: PulseAudio did not start: $(tail -n 3 "$scratch/pulse/log")"; exit 1; }
export PULSE_SERVER="unix:$scratch/pulse/native"

begin_case "shipped show: window, three seconds, Esc" shipped
ln -s "$root/data" "$dir/data"
start_demo "$dir"
if find_window; then
    [ -n "$settings_seen" ] || fail "no Settings dialog before the window"
    sleep 3
    # The music plays through waveOut into the null sink.
    [ -n "$(pactl list short sink-inputs 2>/dev/null)" ] || fail "no stream plays into PulseAudio"
    esc_if_running
else
    fail "no window titled Dravik's Quorl"
fi
wait_exit 30
expect_exit_zero quiet
[ "$(ls -A "$dir")" = "data" ] || fail "files appeared: $(ls -A "$dir" | tr '\n' ' ')"
finish_case

begin_case "missing data\\demo.xml" noscript
start_demo "$dir"
pass_settings
wait_exit 30
expect_exit_zero quiet
[ -z "$(ls -A "$dir")" ] || fail "files appeared: $(ls -A "$dir" | tr '\n' ' ')"
finish_case

begin_case "no sound output with music on" nosound
ln -s "$root/data" "$dir/data"
PULSE_SERVER="unix:$scratch/no-such-socket" start_demo "$dir"
pass_settings
wait_exit 30
# Wine's ALSA driver reports the missing sound card on stderr; Windows would not.
expect_exit_zero
finish_case

begin_case "music off: runs on the silent device without a sound output" musicoff
ln -s "$root/data" "$dir/data"
PULSE_SERVER="unix:$scratch/no-such-socket" start_demo "$dir"
# Two tabs reach Music: untick it; three more reach the anti-aliasing box.
pass_settings Tab Tab space Tab Tab Tab Up Return
wid=$(find_visible 60 "^Dravik's Quorl\$")
if [ -n "$wid" ]; then
    sleep 3
    esc_if_running
else
    fail "no window titled Dravik's Quorl"
fi
wait_exit 30
expect_exit_zero
finish_case

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
