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
    shown=$("$build/bench/idle/bench_idle_probe" appear)
    sleep 0.5
    xdotool mousemove_relative 1 1
    moved=$(now)
    gone=$("$build/bench/idle/bench_idle_probe" vanish)
    echo "  round $round: idle reached -> picture $((shown - input - 2000)) ms," \
        "input -> show gone $((gone - moved)) ms"
done
"${as_user[@]}" "$work/show.run" --uninstall >/dev/null
unset DISPLAY

echo "headless sway (org_kde_kwin_idle):"
session sway
printf 'output HEADLESS-1 resolution 640x480\ndefault_border none\n' >"$work/sway.config"
WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
    "${as_user[@]}" sway -c "$work/sway.config" &>/dev/null &
pids+=($!)
until ls "$XDG_RUNTIME_DIR"/sway-ipc.* &>/dev/null && [[ -e $XDG_RUNTIME_DIR/wayland-1 ]]; do
    sleep 0.1
done
export WAYLAND_DISPLAY=wayland-1 SWAYSOCK=$(ls "$XDG_RUNTIME_DIR"/sway-ipc.*) XDG_SESSION_TYPE=wayland
# A view (a node with a process) in the full-screen state.
fullscreen() {
    "${as_user[@]}" swaymsg -t get_tree | python3 -c '
import json, sys
def views(node):
    yield node
    for child in node.get("nodes", []) + node.get("floating_nodes", []):
        yield from views(child)
sys.exit(0 if any(n.get("pid") and n.get("fullscreen_mode") == 1 for n in views(json.load(sys.stdin))) else 1)'
}
waiting
"${as_user[@]}" "$work/show.run" --install --idle-after 2 >/dev/null
for round in 1 2 3 4 5; do
    "${as_user[@]}" swaymsg seat seat0 cursor move 1 1 >/dev/null
    input=$(now)
    until fullscreen; do sleep 0.005; done
    shown=$(now)
    sleep 0.5
    "${as_user[@]}" swaymsg seat seat0 cursor move 1 1 >/dev/null
    moved=$(now)
    while fullscreen; do sleep 0.005; done
    gone=$(now)
    echo "  round $round: idle reached -> full screen $((shown - input - 2000)) ms," \
        "input -> show gone $((gone - moved)) ms"
done
"${as_user[@]}" "$work/show.run" --uninstall >/dev/null
