#!/usr/bin/env bash
# Installs the built program into a temporary root (DESTDIR, prefix /usr) as its Debian package
# does and checks what a desktop finds there; starts the installed wizard on a virtual screen and
# creates an installer file with it, as a user would; then checks the package that cpack makes.
# Usage: InstallTest.sh <build folder> <source folder>
set -euo pipefail
build=$(realpath "$1")
source=$(realpath "$2")
work=$(mktemp -d)
xvfb=
wizard=
cleanup() {
    [[ -n $wizard ]] && kill "$wizard" 2>/dev/null
    [[ -n $xvfb ]] && kill "$xvfb" 2>/dev/null
    chmod -R u+w "$work"
    rm -rf "$work"
}
trap cleanup EXIT
# On failure, says what the wizard printed and which windows were on its screen.
fail() {
    echo "install test: $*" >&2
    if [[ -n $wizard ]]; then
        echo "--- the wizard printed:" >&2
        cat "$work/wizard.log" >&2 || true
        echo "--- windows on the screen:" >&2
        for shown in $(xdotool search --onlyvisible --name . 2>/dev/null); do
            echo "$(xdotool getwindowname "$shown") $(xdotool getwindowgeometry "$shown" | tr '\n' ' ')" >&2
        done
        echo "--- in $output:" >&2
        ls -la "$output" >&2 2>/dev/null || true
    fi
    exit 1
}
# Waits up to 40 s for a command to succeed.
await() {
    for _ in $(seq 200); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.2
    done
    fail "gave up waiting for: $*"
}

# The installed tree.
root=$work/root
usr=$root/usr
DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null
metainfo=share/metainfo/io.github.kavro.Kavro.metainfo.xml
for file in bin/kavro share/applications/io.github.kavro.Kavro.desktop $metainfo \
    share/doc/kavro/copyright share/doc/kavro/changelog.gz share/man/man1/kavro.1.gz; do
    [[ -f $usr/$file ]] || fail "$file is not installed"
done
for size in 16 22 24 32 48 64 128 256; do
    icon=$usr/share/icons/hicolor/${size}x${size}/apps/kavro.png
    [[ $(identify -format %wx%h "$icon" 2>/dev/null) == "${size}x${size}" ]] ||
        fail "no ${size} pixel icon in $icon"
done
# The tree, not the file alone: the metainfo's launchable must name the installed desktop entry.
appstreamcli validate-tree --no-net "$usr" >/dev/null || fail "the metainfo file is not valid"
desktop=$usr/share/applications/io.github.kavro.Kavro.desktop
desktop-file-validate "$desktop" || fail "the desktop entry is not valid"
# The icon the menu shows: a path as it is, a name through the hicolor theme or the pixmaps.
icon_name=$(sed -n 's/^Icon=//p' "$desktop" | head -1)
[[ -n $icon_name ]] || fail "the desktop entry names no icon"
if [[ $icon_name == /* ]]; then
    icon_files=("$root$icon_name")
else
    icon_files=("$usr"/share/icons/hicolor/*/apps/"$icon_name".{png,svg} "$usr/share/pixmaps/$icon_name".{png,svg,xpm})
fi
found_icon=
for file in "${icon_files[@]}"; do
    [[ -f $file ]] && found_icon=$file
done
[[ -n $found_icon ]] || fail "the desktop entry's icon $icon_name is not installed"
stubs=()
for stub in ie.dat ss.dat ui.dat; do
    [[ -f $usr/lib/kavro/$stub ]] && stubs+=("$usr/lib/kavro/$stub")
done

# The installed wizard on its own screen, with a file manager opener that notes its folder.
# bin/ is made read-only, as /usr/bin is for a user: the installer then goes below the
# documents folder, unless root, who writes anywhere, runs the test.
mkdir -p "$work/home/Documents" "$work/opener"
cat >"$work/opener/xdg-open" <<EOS
#!/bin/sh
echo "\$1" >>"$work/opened"
EOS
chmod +x "$work/opener/xdg-open"
cp "$source/tests/data/red.bmp" "$work/red.bmp"
chmod a-w "$usr/bin"
if touch "$usr/bin/.probe" 2>/dev/null; then
    rm "$usr/bin/.probe"
    output=$usr/bin/ScreenSavers
else
    output=$work/home/Documents/ScreenSavers
fi

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
await test -s "$work/display"
export DISPLAY=:$(head -1 "$work/display")
env -u QT_QPA_PLATFORM HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" \
    PATH="$work/opener:$PATH" "$usr/bin/kavro" >"$work/wizard.log" 2>&1 &
wizard=$!
await xdotool search --onlyvisible --name "^Kavro - "
window=$(xdotool search --onlyvisible --name "^Kavro - " | head -1)
# A mapped window may not yet take input: let the first paint finish before clicking. (Without a
# window manager the keyboard follows the pointer, so no focus is awaited here.)
sleep 1
[[ $(xdotool getwindowgeometry "$window") == *"Geometry: 602x358"* ]] ||
    fail "the wizard's window is not 602 x 358"

# Points in the window: the title edit, "插入图片", "下一步", and "点击这里" beside "来创建".
click() { xdotool mousemove --window "$window" "$1" "$2" click 1; }
click 302 86
xdotool key ctrl+a type Demo
click 217 137
await xdotool search --onlyvisible --name "^打开$"
dialog=$(xdotool search --onlyvisible --name "^打开$" | head -1)
# Keys typed before the dialog has the focus would be lost.
await sh -c "[ \"\$(xdotool getwindowfocus)\" = $dialog ]"
sleep 0.5
xdotool type "$work/red.bmp"
xdotool key Return
await sh -c '! xdotool search --onlyvisible --name "^打开$"'
# The picture is in: its red thumbnail is on the window.
await sh -c "import -window $window -depth 8 txt:- | grep -q '#FF0000'"
sleep 0.5
click 471 340
sleep 0.5
click 471 340
sleep 0.5
click 59 292
await test -f "$output/Demo.run"
await xdotool search --onlyvisible --name "^Kavro$"
[[ $(cat "$work/opened") == "file://$output/" ]] || fail "the file manager was asked for $(cat "$work/opened")"

built=$output/Demo.run
[[ $(tail -c 15 "$built") == "sky mirror band" ]] || fail "Demo.run does not end with the marker"
[[ $(tail -c 165 "$built" | head -c 4) == Demo ]] || fail "Demo.run does not carry its title"
if [[ ${#stubs[@]} -gt 0 ]]; then
    cat "${stubs[@]}" >"$work/stubs"
    cmp -n "$(stat -c %s "$work/stubs")" "$work/stubs" "$built" ||
        fail "Demo.run does not begin with the installed stubs"
fi
kill "$wizard"
wizard=

# The package: its files are the installed tree, its dependencies computed plus the run-time ones.
(cd "$build" && cpack -G DEB -B "$work/package" >/dev/null) || fail "cpack failed"
deb=$(ls "$work"/package/kavro_*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
# Every picture format offered decodes: JPEG and HEIC through linked libraries, PNG inside Qt
# Gui, WebP through Qt's plugin.
for package in libqt6widgets6 libqt6gui6 libjpeg62-turbo libheif1 qt6-image-formats-plugins \
    libsdl2-mixer timgm6mb-soundfont fonts-wqy-microhei xdg-utils; do
    [[ $depends == *"$package"* ]] || fail "the package does not depend on $package: $depends"
done
diff <(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./||' | sort) \
    <(cd "$root" && find . -type f -not -path "./usr/bin/ScreenSavers/*" | sed 's|^\./||' | sort) ||
    fail "the package holds other files than the installed tree"
# Debian's own checks: no error (the warnings left are explained in docs/packaging.md).
if ! lintian --fail-on error --no-tag-display-limit "$deb" >"$work/lintian.log" 2>&1; then
    cat "$work/lintian.log" >&2
    fail "lintian reports errors on the package"
fi
echo "install test: installed, started, built $(stat -c %s "$built") bytes with ${#stubs[@]} stubs, packaged"
