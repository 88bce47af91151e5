#!/usr/bin/env bash
# The idle watcher, installed with the stubs of the build as an ordinary user, on a plain X
# server and on headless sway: its resident memory and processor time while it waits (with a
# delay it never reaches, for SECONDS), then five times the time from reaching the idle delay to
# the show on the screen and from an input to the show gone.
# Usage: bench/idle/IdleBench.sh [build folder] [SECONDS, default 300]
# (needs bench_idle_probe, kavro_make_show, the stubs; Xvfb, xdotool, sway)
set -euo pipefail
build=$(realpath "${1:-build}")
seconds=${2:-300}
work=$(mktemp -d)
chmod 755 "$work"
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"' EXIT
as_user=()
if [[ $(id -u) -eq 0 ]]; then
    as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi
convert -size 64x48 xc:red "$work/r.bmp"
convert -size 64x48 xc:blue "$work/b.bmp"
"$build/demo/kavro_make_show" "$work/show.run" bench "$work/r.bmp" "$work/b.bmp"
now() { date +%s%3N; }

# A fresh user home and runtime folder for one session.
session() {
    local name=$1
    mkdir -p "$work/$name/home" "$work/$name/run"
    chmod 777 "$work/$name" "$work/$name/home"
    [[ $(id -u) -eq 0 ]] && chown 65534:65534 "$work/$name/run"
    chmod 700 "$work/$name/run"
    export HOME=$work/$name/home XDG_RUNTIME_DIR=$work/$name/run SDL_AUDIODRIVER=dummy
    unset XDG_DATA_HOME XDG_CONFIG_HOME QT_QPA_PLATFORM
}

waiting() {
    "${as_user[@]}" "$work/show.run" --install --idle-after 86400 >/dev/null
    local pid
    pid=$(cat "$XDG_RUNTIME_DIR/kavro-watcher.lock")
    local ticks0
    ticks0=$(awk '{print $14 + $15}' "/proc/$pid/stat")
    sleep "$seconds"
    local ticks1 hz
    ticks1=$(awk '{print $14 + $15}' "/proc/$pid/stat")
    hz=$(getconf CLK_TCK)
    echo "  waiting: $(grep VmRSS "/proc/$pid/status" | awk '{print $2 / 1024}') MB resident," \
        "$(grep VmHWM "/proc/$pid/status" | awk '{print $2 / 1024}') MB peak," \
        "$(awk -v t=$((ticks1 - ticks0)) -v hz="$hz" -v s="$seconds" \
            'BEGIN { printf "%.3f", 100 * t / hz / s }') % of a core over $seconds s"
}

echo "plain X server (MIT-SCREEN-SAVER):"
session x
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp &>/dev/null &
pids+=($!)
until [[ -s $work/display ]]; do sleep 0.1; done
export DISPLAY=:$(head -1 "$work/display")
waiting
"${as_user[@]}" "$work/show.run" --install --idle-after 2 >/dev/null
for round in 1 2 3 4 5; do
    xdotool mousemove_relative 1 1
    input=$(now)
    read -r first centre < <("$build/bench/idle/bench_idle_probe" appear)
    sleep 0.5
    xdotool mousemove_relative 1 1
    moved=$(now)
    gone=$("$build/bench/idle/bench_idle_probe" vanish)
    echo "  round $round: idle reached -> first picture $((first - input - 2000)) ms" \
        "(its centre $((centre - input - 2000)) ms)," \
        "input -> show gone $((gone - moved)) ms"
done
"${as_user[@]}" "$work/show.run" --uninstall >/dev/null
unset DISPLAY

echo "headless sway (org_kde_kwin_idle):"
session sway
printf 'output HEADLESS-1 resolution 640x480\ndefault_border none\nxwayland disable\n' >"$work/sway.config"
WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
    "${as_user[@]}" sway -c "$work/sway.config" &>/dev/null &
pids+=($!)
until ls "$XDG_RUNTIME_DIR"/sway-ipc.* &>/dev/null && [[ -e $XDG_RUNTIME_DIR/wayland-1 ]]; do
    sleep 0.1
done
export WAYLAND_DISPLAY=wayland-1 SWAYSOCK=$(ls "$XDG_RUNTIME_DIR"/sway-ipc.*) XDG_SESSION_TYPE=wayland
# The compositor's window events, each line "ms change fullscreen_mode" as it reads them.
"${as_user[@]}" swaymsg -m -t subscribe '["window"]' 2>/dev/null | python3 -u -c '
import json, sys, time
decoder, text = json.JSONDecoder(), ""
for line in sys.stdin:
    text += line
    while text.strip():
        try:
            event, end = decoder.raw_decode(text.lstrip())
        except ValueError:
            break
        text = text.lstrip()[end:]
        print(int(time.time() * 1000), event["change"], event["container"].get("fullscreen_mode"))
' >"$work/events" &
pids+=($!)
# Screenshots (grim, as fast as it goes) until a point of a grid over the screen shows one of
# the pictures; prints that moment.
first_picture() {
    python3 -c '
import subprocess, sys, time
while True:
    shot = subprocess.run(["grim", "-t", "ppm", "-"], capture_output=True).stdout
    if shot:
        head = shot.split(b"\n", 3)
        width, height = map(int, head[1].split())
        pixels = head[3]
        for y in range(4, height, 8):
            for x in range(4, width, 8):
                p = pixels[3 * (y * width + x):3 * (y * width + x) + 3]
                if p in (b"\xff\x00\x00", b"\x00\x00\xff"):
                    print(int(time.time() * 1000))
                    sys.exit(0)
'
}
# Waits for the first event matching a pattern after line `from`, prints its moment.
event_after() {
    local from=$1 pattern=$2
    until tail -n +"$((from + 1))" "$work/events" | grep -q -- "$pattern"; do sleep 0.005; done
    tail -n +"$((from + 1))" "$work/events" | grep -m1 -- "$pattern" | cut -d' ' -f1
}
waiting
"${as_user[@]}" "$work/show.run" --install --idle-after 2 >/dev/null
for round in 1 2 3 4 5; do
    seen=$(wc -l <"$work/events")
    "${as_user[@]}" swaymsg seat seat0 cursor move 1 1 >/dev/null
    input=$(now)
    shown=$(event_after "$seen" ' 1$')
    pictured=$(first_picture)
    sleep 0.5
    seen=$(wc -l <"$work/events")
    "${as_user[@]}" swaymsg seat seat0 cursor move 1 1 >/dev/null
    moved=$(now)
    gone=$(event_after "$seen" ' close ')
    echo "  round $round: idle reached -> full screen $((shown - input - 2000)) ms," \
        "first picture $((pictured - input - 2000)) ms (screenshots)," \
        "input -> show gone $((gone - moved)) ms"
done
"${as_user[@]}" "$work/show.run" --uninstall >/dev/null
