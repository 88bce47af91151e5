#!/usr/bin/env bash
# The saver program started on installer files of 1 and of 255 pictures (a red 1600 x 1200 JPEG
# first, then copies of a ~1 MB photo-like JPEG of the same size): time from start to the first
# frame and to the first picture on the screen, and resident memory while it plays.
# Usage: bench/saver/SaverBench.sh [build folder] (needs bench_saver, kavro_make_show, the stubs)
set -euo pipefail
build=$(realpath "${1:-build}")
work=$(mktemp -d)
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp &>/dev/null &
xvfb=$!
until [[ -s $work/display ]]; do sleep 0.1; done
export DISPLAY=:$(head -1 "$work/display") SDL_AUDIODRIVER=dummy
unset QT_QPA_PLATFORM
convert -size 1600x1200 xc:'#ff0000' -quality 92 "$work/red.jpg"
convert -size 1600x1200 plasma:fractal -attenuate 0.4 +noise Gaussian -quality 90 "$work/photo.jpg"
echo "photo of $(stat -c %s "$work/photo.jpg") bytes"
for count in 1 255; do
    pictures=("$work/red.jpg")
    for ((i = 1; i < count; i++)); do pictures+=("$work/photo.jpg"); done
    "$build/demo/kavro_make_show" "$work/show$count.run" bench "${pictures[@]}"
    echo "$count pictures ($(stat -c %s "$work/show$count.run") bytes):"
    "$build/bench/saver/bench_saver" "$build/ss.dat" "$work/show$count.run" 5 6 2>/dev/null
done
