#!/usr/bin/env bash
# The Settings dialog of the real binary under Xvfb, driven with xdotool.
# Usage: settings_dialog_test.sh <quorl binary> <repository root> <quorl-x11-close binary>
set -u
quorl=$(realpath "$1")
root=$(realpath "$2")
closer=$(realpath "$3")

. "$(dirname "$0")/e2e_common.sh"
. "$(dirname "$0")/settings_helpers.sh"

trap 'rm -rf "$scratch"' EXIT

begin_case() {
    current=$1
    before=$failures
    dir="$scratch/case$((passes + failures))"
    mkdir -p "$dir"
    ln -s "$root/data" "$dir/data"
    (cd "$dir" && exec "$quorl" >"$scratch/stdout" 2>"$scratch/stderr") &
    pid=$!
    if find_settings; then
        return 0
    fi
    # Say how it ended, for whoever meets this again.
    if kill -0 "$pid" 2>/dev/null; then
        fail "no Settings dialog (the process still runs)"
    else
        fail "no Settings dialog (the process ended)"
    fi
    return 1
}

demo_window() {
    xdotool search --onlyvisible --name "^Dravik's Quorl\$" 2>/dev/null | head -n 1
}

# wait_window_or_exit: sets wid once the demo window is up, or leaves it empty when the process ended.
wait_window_or_exit() {
    wid=
    local waited=0
    while [ "$waited" -lt 300 ]; do
        wid=$(demo_window)
        [ -n "$wid" ] && return
        kill -0 "$pid" 2>/dev/null || return
        sleep 0.1
        waited=$((waited + 1))
    done
    fail "neither a window nor an exit after 30 s"
}

# end_case: ends the run with Esc if a window is up, then checks a silent exit with 0.
end_case() {
    if [ -n "${wid:-}" ]; then
        xdotool windowfocus --sync "$wid" 2>/dev/null
        xdotool key --clearmodifiers Escape
    fi
    local waited=0
    while kill -0 "$pid" 2>/dev/null; do
        if [ "$waited" -ge 200 ]; then
            fail "still running after 20 s"
            kill -9 "$pid" 2>/dev/null
            break
        fi
        [ -z "${wid:-}" ] && [ -n "$(demo_window)" ] && fail "a demo window appeared"
        sleep 0.1
        waited=$((waited + 1))
    done
    wait "$pid"
    local rc=$?
    [ "$rc" -eq 0 ] || fail "exit code $rc"
    [ -s "$scratch/stdout" ] && fail "printed to stdout: $(head -c 200 "$scratch/stdout")"
    [ -s "$scratch/stderr" ] && fail "printed to stderr: $(head -c 200 "$scratch/stderr")"
    if [ "$failures" -eq "$before" ]; then
        echo "ok: $current"
        passes=$((passes + 1))
    fi
}

# expect_popup_or_silent_end: the full-screen defaults give a 1024x768 popup at the origin,
# unless the OpenGL implementation cannot give the sample count, which ends the run.
expect_popup_or_silent_end() {
    wait_window_or_exit
    [ -n "$wid" ] || return
    local geometry
    # The window exists before the device: where 6x is refused it goes again
    # as the process ends, silently (the end of the case checks that).
    geometry=$(xdotool getwindowgeometry "$wid" 2>/dev/null) || return
    [ -n "$geometry" ] || return
    echo "$geometry" | grep -q "Position: 0,0" || fail "popup not at the origin: $geometry"
    echo "$geometry" | grep -q "Geometry: 1024x768" || fail "popup not 1024x768: $geometry"
    [ -z "$(xdotool search --onlyvisible --name '^Settings$' 2>/dev/null)" ] || fail "the dialog is still shown"
}

# --- the dialog itself: centred, sized from its font, nothing printed
if begin_case "Enter at once accepts the defaults"; then
    geometry=$(xdotool getwindowgeometry "$dialog")
    size=$(echo "$geometry" | sed -n 's/.*Geometry: \([0-9]*\)x\([0-9]*\).*/\1 \2/p')
    read -r w h <<<"$size"
    # 208 x 86 dialog units of an 8-point font: between 5 and 8 pixels across, 11 and 16 down.
    { [ "$w" -ge 260 ] && [ "$w" -le 416 ] && [ "$h" -ge 118 ] && [ "$h" -le 172 ]; } ||
        fail "dialog size $w x $h"
    position=$(echo "$geometry" | sed -n 's/.*Position: \([0-9]*\),\([0-9]*\).*/\1 \2/p')
    read -r x y <<<"$position"
    { [ $((x * 2 + w - 1280)) -le 2 ] && [ $((1280 - x * 2 - w)) -le 2 ] &&
        [ $((y * 2 + h - 1024)) -le 2 ] && [ $((1024 - y * 2 - h)) -le 2 ]; } || fail "not centred: $geometry"
    settings_keys Return
    expect_popup_or_silent_end
fi
end_case

if begin_case "Esc cancels"; then
    settings_keys Escape
fi
end_case

if begin_case "the close button cancels"; then
    "$closer" "$dialog" || fail "could not send the close request"
fi
end_case

if begin_case "800x600 without Full Screen and 4x gives an 800x600 captioned window"; then
    # From OK: Tab x3 to the resolution list, Up to 800x600, Tab and Space clear Full Screen.
    settings_keys Tab Tab Tab Up Tab space
    # Then to the anti-aliasing box, "4x" over its text, and Enter for OK.
    settings_keys Tab ctrl+a
    xdotool type --delay 40 4x
    settings_keys Return
    wait_window_or_exit
    if [ -n "$wid" ]; then
        geometry=$(xdotool getwindowgeometry "$wid")
        echo "$geometry" | grep -q "Geometry: 800x600" || fail "client area not 800x600: $geometry"
        # A popup is borderless (decorations 0 in its Motif hints); a captioned window is not.
        xprop -id "$wid" _MOTIF_WM_HINTS | grep -q "= 0x2, 0x0, 0x0" && fail "the window has no caption"
    else
        fail "no demo window"
    fi
fi
end_case

if begin_case "text that names no anti-aliasing entry still starts the run"; then
    settings_antialiasing 8x
    settings_keys Return
    expect_popup_or_silent_end
    [ -n "$wid" ] || fail "no demo window: with anti-aliasing off the run starts"
fi
end_case

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
