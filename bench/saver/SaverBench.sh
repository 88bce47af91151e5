#!/usr/bin/env bash
# The saver program started on an installer file of 1 and of 255 pictures (a red first picture,
# then copies of a ~1 MB JPEG): time from start to the first picture on the screen, and resident
# memory after a few pictures. Usage: bench/saver/SaverBench.sh [build folder]
set -euo pipefail
build=$(realpath "${1:-build}")
work=$(mktemp -d)
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
display=:$((200 + $$ % 100))
Xvfb "$display" -screen 0 1280x720x24 -nolisten tcp -noreset &>/dev/null &
xvfb=$!
export DISPLAY=$display SDL_AUDIODRIVER=dummy
unset QT_QPA_PLATFORM
sleep 1
convert -size 16x12 xc:'#ff0000' BMP3:"$work/0.bmp"
convert -size 1400x1000 xc: +noise Random -quality 92 "$work/big.jpg"
echo "picture of $(stat -c %s "$work/big.jpg") bytes"
for count in 1 255; do
    pictures=("$work/0.bmp")
    for ((i = 1; i < count; i++)); do pictures+=("$work/big.jpg"); done
    "$build/demo/kavro_make_show" "$work/show$count.run" bench "${pictures[@]}"
    for run in 1 2 3; do
        start=$(date +%s%N)
        "$build/ss.dat" --root "$work/show$count.run" &
        saver=$!
        until [[ $(convert x:root -crop 1x1+640+360 -format '%[pixel:p]' info: 2>/dev/null) == "srgb(255,0,0)" ]]; do
            sleep 0.005
        done
        echo "$count pictures: first frame after $((($(date +%s%N) - start) / 1000000)) ms"
        sleep 4
        echo "$count pictures: $(grep VmRSS /proc/$saver/status)"
        kill $saver
        wait $saver || true
    done
done
