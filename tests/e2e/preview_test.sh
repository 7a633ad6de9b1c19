#!/usr/bin/env bash
# quorl-preview in a real X11 window under Xvfb, driven with xdotool: time
# control read back from the screenshots' times, a script edit seen in the next
# screenshot, a broken shader shown as an error over the last good picture.
# Usage: preview_test.sh <quorl-preview binary> <repository root>
set -u
preview=$(realpath "$1")
root=$(realpath "$2")

. "$(dirname "$0")/e2e_common.sh"

trap 'kill -9 "$pid" 2>/dev/null; rm -rf "$scratch"' EXIT
pid=

# A show of its own beside a copy of the shipped data: one full-screen quad.
show="$scratch/show"
mkdir -p "$show"
cp -r "$root/data" "$show/data"
write_script() {
    cat >"$show/data/preview.xml.tmp" <<XML
<demo start_time="0" end_time="60000" music="data/music.ogg">
    <resources/>
    <events>
        <quad2d start_time="0" duration="60000" z="0" x="0.5" y="0.5" width="1" height="1"
                start_colour="$1" end_colour="$1"/>
    </events>
</demo>
XML
    # Saved by rename, as many editors do.
    mv "$show/data/preview.xml.tmp" "$show/data/preview.xml"
}
write_script 0xFFFF0000

shots="$scratch/shots"
out="$scratch/stdout"
(cd "$show" && exec "$preview" --script data/preview.xml --start 20000 --size 320x240 --shots "$shots" \
    >"$out" 2>"$scratch/stderr") &
pid=$!
wid=$(find_visible 30 "^quorl-preview")
if [ -z "$wid" ]; then
    echo "FAIL: no preview window"; cat "$scratch/stderr"; exit 1
fi

# Spaced out: X events sent back to back can reach SDL as key repeats.
key() { xdotool key --delay 60 --window "$wid" "$@"; }

# shot: presses S and prints the new screenshot's path once it is written.
shot() {
    local count before_lines
    before_lines=$(wc -l <"$out")
    key s
    for _ in $(seq 100); do
        count=$(wc -l <"$out")
        if [ "$count" -gt "$before_lines" ]; then
            tail -n 1 "$out" | sed -n 's/^screenshot //p'
            return
        fi
        sleep 0.1
    done
}

# shot_time <path>: the show time in the screenshot's name.
shot_time() { basename "$1" | sed -E 's/^preview_t0*([0-9]+)_.*/\1/'; }

# centre <png>: the centre pixel as r,g,b.
centre() { convert "$1" -format '%[fx:int(255*p{160,120}.r)],%[fx:int(255*p{160,120}.g)],%[fx:int(255*p{160,120}.b)]' info:; }

# error_pixels: how many strongly red pixels of the error text the window's lower part shows.
error_pixels() {
    import -window "$wid" "$scratch/window.png" 2>/dev/null
    convert "$scratch/window.png" -crop 320x80+0+160 -fx '(r>0.8 && g>0.3 && g<0.6 && b>0.3 && b<0.6) ? 1 : 0' \
        -format '%[fx:int(mean*w*h+0.5)]' info:
}

in_range() { [ "$1" -ge "$2" ] && [ "$1" -le "$3" ]; }

# --- opens at 20 s and plays; Space pauses and holds the time
current="start at 20 s, pause"
before=$failures
sleep 1
key space
a=$(shot); b=$(sleep 0.5; shot)
[ -n "$a" ] && [ -n "$b" ] || fail "no screenshot"
ta=$(shot_time "$a"); tb=$(shot_time "$b")
in_range "$ta" 20000 40000 || fail "paused at $ta ms"
[ "$ta" = "$tb" ] || fail "the time moved while paused: $ta, then $tb"
[ "$(centre "$a")" = "255,0,0" ] || fail "centre $(centre "$a"), not red"
finish_case

# --- frame steps, seeks and the script's ends
current="step and seek"
before=$failures
key period period period
t=$(shot_time "$(shot)")
[ "$t" -gt "$ta" ] && [ "$t" -le $((ta + 51)) ] || fail "three frames from $ta gave $t"
key comma
t2=$(shot_time "$(shot)")
[ "$t2" -lt "$t" ] && [ "$t2" -ge $((t - 17)) ] || fail "a frame back from $t gave $t2"
key Home
[ "$(shot_time "$(shot)")" = 0 ] || fail "Home is not the start"
key Right Right
[ "$(shot_time "$(shot)")" = 2000 ] || fail "two seconds on from the start is not 2000"
key shift+Right
[ "$(shot_time "$(shot)")" = 12000 ] || fail "Shift+Right is not ten seconds"
key ctrl+period
[ "$(shot_time "$(shot)")" = 12500 ] || fail "Ctrl+. is not one beat"
key End
[ "$(shot_time "$(shot)")" = 60000 ] || fail "End is not the script's end"
finish_case

# --- a loop of one bar, snapped to beats, played round
current="loop"
before=$failures
key Home shift+Right shift+Right    # 20 s
key Left ctrl+comma                  # 19 s, then the beat before: 18.5 s
key bracketleft
key Right Right ctrl+period          # 20.5 s, then the next beat: 21 s
key bracketright
key Left Left l space
sleep 3
key space
t=$(shot_time "$(shot)")
in_range "$t" 18500 20999 || fail "played out of the loop 18.5-21 s: $t"
finish_case

# --- a saved colour shows in the next screenshot
current="reload on save"
before=$failures
write_script 0xFF00FF00
sleep 1.5
c=$(centre "$(shot)")
[ "$c" = "0,255,0" ] || fail "centre $c after the edit, not green"
[ "$(error_pixels)" -lt 20 ] || fail "error text drawn after a good reload"
finish_case

# --- a broken shader: the error drawn over the last good picture, until mended
current="broken shader"
before=$failures
cp "$show/data/shaders/quad2d.psh" "$scratch/quad2d.psh"
printf '\nthis is not a shader\n' >>"$show/data/shaders/quad2d.psh"
sleep 1.5
c=$(centre "$(shot)")
[ "$c" = "0,255,0" ] || fail "the last good picture did not stay: centre $c"
n=$(error_pixels)
[ "$n" -ge 20 ] || fail "no error drawn ($n red pixels)"
cp "$scratch/quad2d.psh" "$show/data/shaders/quad2d.psh"
sleep 1.5
n=$(error_pixels)
[ "$n" -lt 20 ] || fail "the error stayed after mending ($n red pixels)"
[ "$(centre "$(shot)")" = "0,255,0" ] || fail "the mended show is not green"
finish_case

current="Esc"
before=$failures
key Escape
wait_exit 10
[ "$rc" -eq 0 ] || fail "exit code $rc"
[ -s "$scratch/stderr" ] && fail "printed to stderr: $(head -c 300 "$scratch/stderr")"
finish_case

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
