#!/bin/bash
# Stills of the show at each size the Settings dialog offers, one every 7 s
# half a second after the bars (so that no flash on a beat hides the
# picture), a contact sheet of each size's 24 stills, and one image for
# docs/ with a row of eight of them per size.
# Each still is stepped at 10 frames/s from 4 s before it, with the script's
# start moved there: particles live under 2.5 s and bubbles are spread over
# the screen from their first frame, so a still looks as in a run from the
# start, for 60% of the frames that such a run would draw.
#   tools/make_contact_sheet.sh [stills folder, default stills] [image, default docs/show-sizes.jpg]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
capture=${QUORL_CAPTURE:-$root/build/release/tools/quorl-capture}
stills=$(realpath -m "${1:-stills}")
image=$(realpath -m "${2:-$root/docs/show-sizes.jpg}")
sizes=(640x480 800x600 1024x768 1280x1024)
chosen=(009500 023500 051500 072500 100500 121500 142500 156500)

script=$(mktemp --suffix .xml)
trap 'rm -f "$script"' EXIT
cd "$root"
rows=()
for size in "${sizes[@]}"; do
    mkdir -p "$stills/$size"
    for t in $(seq 2500 7000 167000); do
        start=$((t > 4000 ? t - 4000 : 0))
        sed "s/<demo start_time=\"0\"/<demo start_time=\"$start\"/" data/demo.xml >"$script"
        "$capture" --script "$script" --size "$size" --fps 10 --times "$t" --out "$stills/$size" --quiet
    done
    montage "$stills/$size"/t_*.png -tile 6x4 -geometry 256x+2+2 -background black -quality 85 \
        "$stills/sheet-$size.jpg"
    pictures=()
    for t in "${chosen[@]}"; do
        pictures+=("$stills/$size/t_$t.png")
    done
    montage "${pictures[@]}" -tile 8x1 -geometry x120+1+1 -background black "$stills/pictures-$size.png"
    convert "$stills/pictures-$size.png" -gravity West -background black -fill white -font DejaVu-Sans \
        -pointsize 16 -splice 96x0 -annotate +8+0 "$size" "$stills/row-$size.png"
    rows+=("$stills/row-$size.png")
done
convert "${rows[@]}" -background black -append -quality 82 "$image"
echo "$image: $(du -k "$image" | cut -f1) KB; contact sheets in $stills"
