#!/usr/bin/env bash
# The real binary in a real X11 window under Xvfb, driven with xdotool.
# Usage: demo_window_test.sh <quorl binary> <repository root>
set -u
quorl=$(realpath "$1")
root=$(realpath "$2")

. "$(dirname "$0")/e2e_common.sh"

trap 'rm -rf "$scratch"' EXIT

. "$(dirname "$0")/settings_helpers.sh"

# start_demo <working dir>: runs the player there, output kept outside it, and
# accepts the Settings dialog with 4x anti-aliasing.
start_demo() {
    (cd "$1" && exec "$quorl" >"$scratch/stdout" 2>"$scratch/stderr") &
    pid=$!
    accept_settings_4x || fail "no Settings dialog"
}

find_window() {
    wid=$(find_visible 30 "^Dravik's Quorl\$")
    [ -n "$wid" ]
}

expect_silent_exit_zero() {
    [ "$rc" -eq 0 ] || fail "exit code $rc"
    [ -s "$scratch/stdout" ] && fail "printed to stdout: $(head -c 200 "$scratch/stdout")"
    [ -s "$scratch/stderr" ] && fail "printed to stderr: $(head -c 200 "$scratch/stderr")"
    true
}

# esc_and_time: presses Esc, waits up to 60 s for the end; took is the time from the key.
esc_and_time() {
    xdotool key --clearmodifiers Escape
    local pressed
    pressed=$(date +%s%3N)
    wait_exit 60
    took=$(($(date +%s%3N) - pressed))
}

show_dir() {
    local dir="$scratch/$1"
    mkdir -p "$dir"
    echo "$dir"
}

# --- the shipped show opens its window, Esc ends it
current="shipped show: window, Esc"
before=$failures
dir=$(show_dir shipped)
ln -s "$root/data" "$dir/data"
printf 'keep me\n' >"$dir/log.txt"
start_demo "$dir"
if find_window; then
    xdotool search --class '^Quorl$' | grep -qx "$wid" || fail "window class is not Quorl"
    geometry=$(xdotool getwindowgeometry "$wid")
    echo "$geometry" | grep -q "Position: 0,0" || fail "popup not at the origin: $geometry"
    echo "$geometry" | grep -q "Geometry: 1024x768" || fail "popup not 1024x768: $geometry"
    sleep 1
    kill -0 "$pid" 2>/dev/null || fail "ended on its own"
    xdotool windowfocus --sync "$wid" 2>/dev/null
    esc_and_time
else
    fail "no window titled Dravik's Quorl"
    wait_exit 20
fi
expect_silent_exit_zero
[ "$(cat "$dir/log.txt")" = "keep me" ] || fail "log.txt was changed"
[ "$(ls -A "$dir" | sort | tr '\n' ' ')" = "data log.txt " ] || fail "files appeared: $(ls -A "$dir")"
finish_case
esc_alone=${took:-0}

# --- the loop takes one message a frame: a burst of mouse moves must not hold
# up Esc (before the layer kept one move, 200 moves cost 200 frames)
current="Esc after 200 mouse moves"
before=$failures
dir=$(show_dir moves)
ln -s "$root/data" "$dir/data"
start_demo "$dir"
if find_window; then
    sleep 1
    xdotool windowfocus --sync "$wid" 2>/dev/null
    moves=()
    for i in $(seq 200); do moves+=(mousemove $((100 + i * 4)) $((100 + i % 2 * 50))); done
    xdotool "${moves[@]}"
    esc_and_time
    # 2 s over Esc alone, whose time a loaded machine stretches.
    [ "$took" -lt $((esc_alone + 2000)) ] || fail "ended $took ms after Esc; Esc alone took $esc_alone ms"
else
    fail "no window"
    wait_exit 20
fi
expect_silent_exit_zero
finish_case

# --- a key pressed while the show loads waits in the queue, as on Windows
current="Esc as the window appears"
before=$failures
dir=$(show_dir early)
ln -s "$root/data" "$dir/data"
start_demo "$dir"
if find_window; then
    xdotool key --window "$wid" Escape
else
    fail "no window"
fi
wait_exit 20
expect_silent_exit_zero
finish_case

# --- Alt+F4 closes
current="Alt+F4 closes the demo"
before=$failures
dir=$(show_dir altf4)
ln -s "$root/data" "$dir/data"
start_demo "$dir"
if find_window; then
    xdotool windowfocus --sync "$wid" 2>/dev/null
    xdotool key alt+F4
else
    fail "no window"
fi
wait_exit 20
expect_silent_exit_zero
finish_case

# --- other keys and the mouse do not end the run
current="other input is ignored"
before=$failures
dir=$(show_dir input)
ln -s "$root/data" "$dir/data"
start_demo "$dir"
if find_window; then
    xdotool windowfocus --sync "$wid" 2>/dev/null
    xdotool key a space Return F1 && xdotool mousemove --window "$wid" 100 100 click 1
    sleep 1
    kill -0 "$pid" 2>/dev/null || fail "ended on other input"
    xdotool key Escape
else
    fail "no window"
fi
wait_exit 20
expect_silent_exit_zero
finish_case

# --- a missing script ends the process at once
current="missing data\\demo.xml"
before=$failures
dir=$(show_dir noscript)
start_demo "$dir"
wait_exit 20
expect_silent_exit_zero
[ -z "$(ls -A "$dir")" ] || fail "files appeared: $(ls -A "$dir")"
finish_case

# --- a missing music file still plays and stays quittable
current="missing music file"
before=$failures
dir=$(show_dir nomusic)
mkdir -p "$dir/data"
printf '<demo start_time="0" end_time="600000" music="data\\absent.ogg"><resources/><events/></demo>\n' >"$dir/data/demo.xml"
start_demo "$dir"
if find_window; then
    sleep 1
    kill -0 "$pid" 2>/dev/null || fail "ended without a stream"
    xdotool windowfocus --sync "$wid" 2>/dev/null
    xdotool key Escape
else
    fail "no window"
fi
wait_exit 20
expect_silent_exit_zero
finish_case

# --- no sound output with music on: the run does not start
current="no sound device"
before=$failures
dir=$(show_dir nosound)
ln -s "$root/data" "$dir/data"
SDL_AUDIODRIVER=no-such-driver start_demo "$dir"
wait_exit 20
expect_silent_exit_zero
finish_case

# --- the end time ends the run by itself
current="end time reached"
before=$failures
dir=$(show_dir endtime)
mkdir -p "$dir/data"
ln -s "$root/data/music.ogg" "$dir/data/music.ogg"
printf '<demo start_time="1000" end_time="2500" music="data\\music.ogg"><resources/><events/></demo>\n' >"$dir/data/demo.xml"
start_demo "$dir"
wait_exit 30
expect_silent_exit_zero
finish_case

# --- a run that starts at 30 s plays from there to its end, 10 s later
current="start time 30 s: plays 10 s from 30 s"
before=$failures
dir=$(show_dir starttime)
mkdir -p "$dir/data"
for shipped in music.ogg shaders models; do ln -s "$root/data/$shipped" "$dir/data/$shipped"; done
cat >"$dir/data/demo.xml" <<'XML'
<demo start_time="30000" end_time="40000" music="data\music.ogg"><resources/><events>
<quad2d start_time="0" duration="30000" z="0" x="0.5" y="0.5" width="1" height="1"
        start_colour="0xFF00C000" end_colour="0xFF00C000"/>
<quad2d start_time="30000" duration="10000" z="0" x="0.5" y="0.5" width="1" height="1"
        start_colour="0xFFC00000" end_colour="0xFFC00000"/>
</events></demo>
XML
start_demo "$dir"
if find_window; then
    # The first frame comes once the show has loaded; from then the music clock runs.
    pixel=
    for _ in $(seq 100); do
        import -window root "$scratch/starttime.png" 2>/dev/null
        pixel=$(convert "$scratch/starttime.png" -format '%[pixel:p{512,384}]' info: 2>/dev/null)
        case "$pixel" in srgb\(0,0,0\) | gray\(0\) | "") sleep 0.1 ;; *) break ;; esac
    done
    started=$(date +%s%3N)
    [ "$pixel" = "srgb(192,0,0)" ] || fail "the first frame shows $pixel, not the red placed at 30 s"
    wait_exit 40
    elapsed=$(($(date +%s%3N) - started))
    # About 10 s of music (less what passed before a screenshot saw the first
    # frame, seconds on a busy machine); a clock a start time ahead ends at once.
    [ "$elapsed" -gt 4000 ] && [ "$elapsed" -lt 20000 ] || fail "played for $elapsed ms"
else
    fail "no window"
    wait_exit 30
fi
expect_silent_exit_zero
finish_case

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
