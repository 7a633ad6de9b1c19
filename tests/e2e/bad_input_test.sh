#!/usr/bin/env bash
# A catalogue of bad inputs, each run end to end with the real binary under
# Xvfb: the run either ends by itself (at start-up or at its end time) with
# exit code 0 ("exits") or plays until Esc ends it with 0 ("plays"); it never
# prints, creates a file or crashes. The table at the bottom is the catalogue.
# Usage: bad_input_test.sh <quorl binary> <repository root> [case name pattern]
set -u
quorl=$(realpath "$1")
root=$(realpath "$2")
only=${3:-}

. "$(dirname "$0")/e2e_common.sh"

trap 'chmod -R u+rwX "$scratch" 2>/dev/null; rm -rf "$scratch"' EXIT

. "$(dirname "$0")/settings_helpers.sh"

# Root reads everything: the player runs without the capabilities that
# override file permissions, so that a file of mode 000 is unreadable to it.
run_as=()
if [ "$(id -u)" -eq 0 ]; then
    run_as=(setpriv --inh-caps=-dac_override,-dac_read_search --bounding-set=-dac_override,-dac_read_search)
fi

# --- what a case's set-up may call, in the case's own folder

# ship [part...]: the shipped shaders, textures, models and music (or the
# parts named), each file linked on its own so that a case can replace one.
ship() {
    local parts=("$@")
    [ "${#parts[@]}" -gt 0 ] || parts=(shaders textures models music.ogg)
    mkdir -p data
    local part file
    for part in "${parts[@]}"; do
        if [ -d "$root/data/$part" ]; then
            mkdir -p "data/$part"
            for file in "$root/data/$part"/*; do ln -s "$file" "data/$part/"; done
        else
            ln -s "$root/data/$part" "data/$part"
        fi
    done
}

# script <text>: data/demo.xml with the text, backslash escapes (\xff) read.
script() {
    mkdir -p data
    printf '%b' "$1" >data/demo.xml
}

# demo <events> [resources] [demo attributes]: a complete script around them.
demo() {
    local attributes=${3:-'start_time="0" end_time="600000" music="data\\music.ogg"'}
    script "<demo $attributes><resources>${2:-}</resources><events>$1</events></demo>\n"
}

# put <file> <text>: replaces a shipped file with the text (escapes read).
put() {
    mkdir -p "$(dirname "$1")"
    rm -rf "$1"
    printf '%b' "$2" >"$1"
}

# shorten <file> <bytes>: replaces a shipped file with its first bytes.
shorten() {
    local source
    source=$(readlink -f "$1")
    rm -f "$1"
    head -c "$2" "$source" >"$1"
}

# folder <path>: a directory where a file should be.
folder() {
    rm -rf "$1"
    mkdir -p "$1/inside"
}

# unreadable <path>: the file stays but cannot be read.
unreadable() {
    [ -L "$1" ] && shorten "$1" 100000000
    [ -e "$1" ] || put "$1" 'x'
    chmod 000 "$1"
}

# nested <depth>: elements nested that deep inside one event.
nested() {
    local open close
    open=$(printf '<a>%.0s' $(seq "$1"))
    close=$(printf '</a>%.0s' $(seq "$1"))
    demo "<clear start_time=\"0\" duration=\"600000\">$open$close</clear>"
}

# --- running one case

find_window() {
    wid=$(find_visible 60 "^Dravik's Quorl\$")
}

listing() { find "$1" -printf '%P %y %s\n' 2>/dev/null | sort; }

run_case() {
    current=$1
    local expected=$2 setup=$3
    before=$failures
    local dir="$scratch/case$((passes + failures))"
    mkdir -p "$dir"
    (cd "$dir" && eval "$setup") || { fail "set-up failed: $setup"; return; }
    local files
    files=$(listing "$dir")

    (cd "$dir" && exec "${run_as[@]}" "$quorl" >"$scratch/stdout" 2>"$scratch/stderr") &
    pid=$!
    accept_settings_4x || fail "no Settings dialog"
    case "$expected" in
    exits)
        wait_exit 60
        ;;
    plays)
        if find_window; then
            sleep 1
            esc_if_running
        else
            fail "no window"
        fi
        wait_exit 30
        ;;
    *)
        fail "unknown expectation $expected"
        ;;
    esac
    [ "$rc" -eq 0 ] || fail "exit code $rc"
    [ -s "$scratch/stdout" ] && fail "printed to stdout: $(head -c 300 "$scratch/stdout")"
    [ -s "$scratch/stderr" ] && fail "printed to stderr: $(head -c 2000 "$scratch/stderr")"
    [ "$(listing "$dir")" = "$files" ] || fail "files changed: $(diff <(echo "$files") <(listing "$dir") | head -5)"
    chmod -R u+rwX "$dir" 2>/dev/null
    rm -rf "$dir"
    finish_case
}

# --- the catalogue: name | exits or plays | set-up (shell, in the case's folder)
catalogue=$(cat <<'TABLE'
no data folder | exits | :
data is a file | exits | put data 'not a folder'
empty demo.xml | exits | ship; script ''
malformed demo.xml | exits | ship; script '<demo start_time="0" end_time="1000" music="m"><resources/><events>'
truncated demo.xml | exits | ship; cp "$root/data/demo.xml" data/demo.xml; shorten data/demo.xml 700
demo.xml of binary bytes | exits | ship; head -c 5000 "$root/data/music.ogg" >data/demo.xml
no demo element | exits | ship; script '<show start_time="0"/>'
demo without events | exits | ship; script '<demo start_time="0" end_time="1000" music="m"><resources/></demo>'
demo.xml is a directory | exits | ship; folder data/demo.xml
demo.xml unreadable | exits | ship; demo ''; unreadable data/demo.xml
end before start | exits | ship; demo '' '' 'start_time="5000" end_time="0" music="data\\music.ogg"'
end past the music's end | exits | ship; demo '<clear start_time="0" duration="600000"/>' '' 'start_time="166000" end_time="170000" music="data\\music.ogg"'
end without music | exits | ship shaders textures models; demo '<clear start_time="0" duration="600000"/>' '' 'start_time="0" end_time="3000" music="data\\music.ogg"'
non-UTF-8 bytes in values and names | plays | ship; demo '<quad2d start_time="0" duration="600000" x="\xff\xfe" texture="\xc3\x28.png" start_colour="\xe9t\xe9"/><\xff\xfe a="\x80"/>' '<render_target name="\xff" width="-2" height="-2"/>' 'start_time="0" end_time="600000" music="data\\m\xfcsic.ogg"'
Latin-1 declared encoding | plays | ship; script '<?xml version="1.0" encoding="ISO-8859-1"?><demo start_time="0" end_time="600000" music="data\\music.ogg"><resources/><events><clear start_time="0" duration="600000" colour="\xe9"/></events></demo>'
unknown elements | plays | ship; demo '<explode start_time="0" duration="600000"/><Clear/><quad2d start_time="0" duration="600000"><child/></quad2d>' '<texture name="x"/><render_targets/>'
render target without its attributes | exits | ship; demo '' '<render_target name="a" width="16"/>'
elements nested 20000 deep | plays | ship; nested 20000
huge times | plays | ship; demo '<quad2d start_time="99999999999999999999" duration="4294967295" z="2147483647"/><clear start_time="4294967295" duration="4294967295"/>' '' 'start_time="2147483647" end_time="-1" music="data\\music.ogg"'
counts of 2^31 | plays | ship; demo '<particles start_time="0" duration="600000" count="2147483648" texture="particle.png"/><bubbles start_time="0" duration="600000" count="2147483648"/><shape_grid start_time="0" duration="600000" grid_x="2147483648" grid_y="2147483648" grid_z="2147483648"/><moopy start_time="0" duration="600000" tiles="2147483648"/>'
a grid of no columns and 2^31 - 1 rows | plays | ship; demo '<shape_grid start_time="0" duration="600000" grid_x="0" grid_y="2147483647" grid_z="2147483647" step_size="1" shape1="1"/>'
counts of 2^31 - 1 | plays | ship; demo '<particles start_time="0" duration="600000" count="2147483647" texture="particle.png"/><bubbles start_time="0" duration="600000" count="2147483647"/><shape_grid start_time="0" duration="600000" grid_x="2147483647" grid_y="2147483647" grid_z="2147483647"/><moopy start_time="0" duration="600000" tiles="2147483647"/>'
negative values | plays | ship; demo '<particles start_time="0" duration="-1" count="-1" size_start="-5" age="-1" texture="particle.png"/><bubbles start_time="-100" duration="600000" count="-2147483648" size="-1"/><shape_grid start_time="0" duration="600000" grid_x="-3" grid_y="-1" grid_z="-2147483648" step_size="-1"/><text start_time="0" duration="600000" texture="title.png" scale="-2" start_length="-1"/><moopy start_time="0" duration="600000" tiles="-7"/>'
NaN and infinite values | plays | ship; demo '<quad2d start_time="0" duration="600000" x="nan" y="inf" width="-inf" height="nan"/><particles start_time="0" duration="600000" count="50" size_start="nan" spawn_pos="nan inf -inf" gravity="nan nan nan" age="inf" texture="particle.png"/><shape_grid start_time="0" duration="600000" step_size="nan" point_size="inf"/><env_model start_time="0" duration="600000" env_map="environment.png" model="torus.x" depth="nan" rotations="inf" axis="0 0 0"/><fractal start_time="0" duration="600000" texture="fractal_palette.png" start_zoom="nan" end_zoom="0" start_c="inf nan"/><tunnel start_time="0" duration="600000" texture="tunnel.png" speed="inf"/><text start_time="0" duration="600000" texture="title.png" scale="nan" x="inf"/><window2d start_time="0" duration="600000" texture="border.png" width="nan" start_length="inf" end_length="nan"/><radial_blur start_time="0" duration="600000" texture="tunnel.png" start_amount="nan" end_amount="inf"/><pqtorus start_time="0" duration="600000" start_pq="nan inf" end_pq="0 0"/>'
overflowing values | plays | ship; demo '<quad2d start_time="0" duration="600000" x="1e999" start_colour="1ffffffff" end_colour="0xfffffffffffffffff"/><particles start_time="0" duration="600000" count="99999999999999999999" size_start="1e39" texture="particle.png"/><shape_grid start_time="0" duration="600000" grid_x="4294967296" step_size="3.5e38"/><fractal start_time="0" duration="600000" texture="fractal_palette.png" start_zoom="1e38" end_zoom="-1e38"/>'
empty values | plays | ship; demo '<quad2d start_time="" duration="" z="" target="" texture="" x="" start_colour=""/><particles start_time="0" duration="600000" count="" texture="" spawn_pos=""/><env_model start_time="0" duration="600000" env_map="" model=""/><postprocess start_time="0" duration="600000" image="" texture="" pixel_shader=""/><text start_time="0" duration="600000" texture=""/>' '<render_target name="" width="" height=""/>'
render targets of zero size | plays | ship; demo '<quad2d start_time="0" duration="600000" target="zero" x="0.5" y="0.5" width="1" height="1"/><quad2d start_time="0" duration="600000" texture="zero"/>' '<render_target name="zero" width="0" height="0"/><render_target name="thin" width="1" height="0"/>'
render targets of negative size | plays | ship; demo '<quad2d start_time="0" duration="600000" target="neg" texture="tunnel.png"/><radial_blur start_time="0" duration="600000" texture="neg"/>' '<render_target name="neg" width="-100000" height="-1"/><render_target name="min" width="-2147483648" height="-2147483648"/>'
render targets of enormous size | plays | ship; demo '<quad2d start_time="0" duration="600000" target="huge" texture="tunnel.png"/><postprocess start_time="0" duration="600000" image="huge" texture="max" pixel_shader="grade.psh"/>' '<render_target name="huge" width="100000" height="100000"/><render_target name="max" width="2147483647" height="2147483647"/>'
a shader that does not compile | plays | ship; put data/shaders/quad2d.psh 'float4 MainPS( : COLOR { return oops; }'; put data/shaders/particle.vsh ''; cp "$root/data/demo.xml" data/demo.xml
a shader that crashes the HLSL parser | plays | ship; put data/shaders/quad2d.vsh 'float\noat[l\noat'; put data/shaders/particle.psh 'sampler a2;float a2'; cp "$root/data/demo.xml" data/demo.xml
a shader for a higher profile | plays | ship; put data/shaders/quad2d.psh 'sampler2D s : register(s0);\nfloat4 MainPS(float2 t : TEXCOORD0) : COLOR { return tex2Dlod(s, float4(t, 0, 2)); }'; cp "$root/data/demo.xml" data/demo.xml
a shader is a directory | plays | ship; folder data/shaders/quad2d.vsh; cp "$root/data/demo.xml" data/demo.xml
a shader is unreadable | plays | ship; unreadable data/shaders/particle.psh; cp "$root/data/demo.xml" data/demo.xml
missing textures | plays | ship; demo '<particles start_time="0" duration="600000" count="50" texture="absent.png"/><env_model start_time="0" duration="600000" env_map="absent.png" model="torus.x"/><text start_time="0" duration="600000" texture="absent.png"/><fractal start_time="0" duration="600000" texture="absent.png"/>'
corrupt textures | plays | ship; shorten data/textures/particle.png 60; put data/textures/bubble.tga '\x00\x00\x02\x00\x00\x00\x00\x00\x00\x00\x00\x00\xff\xff\xff\xff\x20\x08junk'; put data/textures/tunnel.png '\x89PNG\r\n\x1a\n\x00\x00\x00\x0dIHDR\x7f\xff\xff\xff\x7f\xff\xff\xff\x08\x06\x00\x00\x00'; shorten data/textures/blob.bmp 100; cp "$root/data/demo.xml" data/demo.xml
a texture is a directory | plays | ship; folder data/textures/particle.png; cp "$root/data/demo.xml" data/demo.xml
a texture is unreadable | plays | ship; unreadable data/textures/bubble.tga; cp "$root/data/demo.xml" data/demo.xml
missing meshes | plays | ship; rm data/models/quad2d.x data/models/torus.x; cp "$root/data/demo.xml" data/demo.xml; demo '<env_model start_time="0" duration="600000" env_map="environment.png" model="torus.x"/><window2d start_time="0" duration="600000" texture="border.png"/>'; rm data/models/border.x
corrupt meshes | plays | ship; shorten data/models/torus.x 5000; put data/models/border.x 'xof 0303txt 0032\nMesh { 2147483647; 1;2;3;; }'; put data/models/quad2d.x 'xof 0303bin 0032\x01\x02\x03'; demo '<env_model start_time="0" duration="600000" env_map="environment.png" model="torus.x"/><window2d start_time="0" duration="600000" texture="border.png"/><quad2d start_time="0" duration="600000"/>'
a mesh is a directory | plays | ship; folder data/models/torus.x; folder data/models/quad2d.x; demo '<env_model start_time="0" duration="600000" env_map="environment.png" model="torus.x"/><quad2d start_time="0" duration="600000"/>'
a mesh that crashes the importer | plays | ship; put data/models/torus.x 'xof 0303txt 0032\n;'; put data/models/quad2d.x 'xof 0303txt 0032\n;'; cp "$root/data/demo.xml" data/demo.xml
a mesh is unreadable | plays | ship; unreadable data/models/quad2d.x; cp "$root/data/demo.xml" data/demo.xml
missing music | plays | ship shaders textures models; cp "$root/data/demo.xml" data/demo.xml
corrupt music | plays | ship shaders textures models; head -c 3000 "$root/data/music.ogg" >data/music.ogg; cp "$root/data/demo.xml" data/demo.xml
music of random bytes | plays | ship shaders textures models; head -c 20000 "$root/data/textures/sincosnoise.bmp" | tail -c 10000 >data/music.ogg; cp "$root/data/demo.xml" data/demo.xml
music is a directory | plays | ship shaders textures models; folder data/music.ogg; cp "$root/data/demo.xml" data/demo.xml
music is unreadable | plays | ship; unreadable data/music.ogg; cp "$root/data/demo.xml" data/demo.xml
TABLE
)

while IFS='|' read -r name expected setup; do
    name=$(echo "$name" | sed 's/ *$//')
    [ -n "$name" ] || continue
    [ -z "$only" ] || [[ "$name" == *$only* ]] || continue
    run_case "$name" "$(echo "$expected" | tr -d ' ')" "$setup"
done <<<"$catalogue"

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
