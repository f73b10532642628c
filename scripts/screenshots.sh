#!/usr/bin/env bash
# Shows each of the add-in's Qt windows, then the workbench in its scenes (on a copy of the
# example project), on a virtual screen with a window manager, and takes a screenshot of the
# whole screen each time, to look at as a user would:
#   scripts/screenshots.sh [DIR [PROJECT MODULE]]
# PNG files go into DIR (default build/screenshots); PROJECT, a large project of your own, is
# also shown with its MODULE's code window, copied first so that nothing of it changes.
#   scripts/screenshots.sh --win32 [DIR]
# cross-builds the Win32 windows instead, runs their tests under Wine on the virtual screen
# (headless Wine skips them) and shows each window there, into DIR (default
# build-windows/screenshots).
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${1:-}" = "--win32" ]; then
    out="$(realpath -m "${2:-build-windows/screenshots}")"
    scripts/install-deps.sh xvfb imagemagick openbox x11-utils g++-mingw-w64-x86-64-posix \
        googletest wine wine64
    cmake -S . -B build-windows -G Ninja --toolchain cmake/MinGW.cmake \
        -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build build-windows --target win32_window_gallery ui_win32_windows_test
    mkdir -p "$out"
    # Debian's wine command starts a 32-bit program. Where the kernel cannot run one, Wine's
    # 64-bit loader runs the 64-bit gallery.
    if ! wine --version >/dev/null 2>&1; then
        wine() { /usr/lib/wine/wine64 "$@"; }
        wineboot() { /usr/lib/wine/wine64 wineboot "$@"; }
    fi
    work="$(mktemp -d)"
    export WINEPREFIX="$work/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
    xvfb=$!
    wm=""
    stop() {
        wineserver -k 2>/dev/null || true
        if [ -n "$wm" ]; then kill "$wm" 2>/dev/null || true; wait "$wm" 2>/dev/null || true; fi
        kill "$xvfb" 2>/dev/null || true
        rm -rf "$work"
    }
    trap stop EXIT
    for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
    export DISPLAY=":$(head -n 1 "$work/display")"
    openbox >/dev/null 2>&1 &
    wm=$!
    wineboot -i >/dev/null 2>&1
    wineserver -w
    ctest --test-dir build-windows -R '^ui_win32_' --output-on-failure
    for window in options templates team help status splash question; do
        wine build-windows/scripts/gallery/win32_window_gallery.exe "$window" 9 &
        app=$!
        # Wine takes a while to start a program on a loaded machine: the shot waits for the
        # gallery's window, then for it to be drawn.
        for _ in $(seq 100); do
            xwininfo -root -tree 2>/dev/null |
                grep -Eq '\("win32_window_gallery.exe" "win32_window_gallery.exe"\) +[0-9]{2,}x' &&
                break
            sleep 0.3
        done
        sleep 2
        import -window root "$out/win32-$window.png"
        wait "$app" || true
        echo "$out/win32-$window.png"
    done
    exit 0
fi
out="$(realpath -m "${1:-build/screenshots}")"
scripts/install-deps.sh xvfb imagemagick openbox fonts-dejavu-core
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target window_gallery workbench_gallery
mkdir -p "$out"

# Xvfb picks a free display and writes its number into the file.
displayfile="$(mktemp)"
work="$(mktemp -d)"
cp -r examples "$work/example"
export BRINDLE_SETTINGS="$work/settings.ini" BRINDLE_WORKBENCH_SETTINGS="$work/workbench.ini"
Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp 3>"$displayfile" 2>/dev/null &
xvfb=$!
wm=""
stop() {
    if [ -n "$wm" ]; then kill "$wm" 2>/dev/null || true; wait "$wm" 2>/dev/null || true; fi
    kill "$xvfb" 2>/dev/null || true
    rm -rf "$displayfile" "$work"
}
trap stop EXIT
for _ in $(seq 50); do [ -s "$displayfile" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n 1 "$displayfile")"
openbox >/dev/null 2>&1 &
wm=$!
sleep 1

# The Qt options dialog with a team's fields, and its help, are the workbench's shots below.
for window in options templates status splash question; do
    build/scripts/gallery/window_gallery "$window" 3 &
    app=$!
    sleep 1.5
    import -window root "$out/$window.png"
    wait "$app" || true
    echo "$out/$window.png"
done

gallery="$PWD/build/scripts/gallery/workbench_gallery"
shoot() {  # NAME SCENE PROJECT [MODULE [LINE]]
    local name="$1"
    shift
    (cd "$(dirname "$2")" && "$gallery" "$1" "$(basename "$2")" "$out/$name.png" "${@:3}") \
        || echo "workbench_gallery $1 failed" >&2
    echo "$out/$name.png"
}
example="$work/example/Inventory.vbp"
# The example kept in shape by a team: its settings, a module left out, a module and
# procedures that Brindle leaves alone.
cp -r examples "$work/team"
printf '[Options]\r\nExcluded Procedures=*_Click, Form_*\r\nSkip Existing=True\r\nDate Format=ISO\r\nModule Header Filename=Templates\\StandardVBModuleHeader.txt\r\n' \
    >"$work/team/brindle.ini"
printf '# legacy\nControls/*\n' >"$work/team/.brindleignore"
sed -i "0,/^Option Explicit/s//Option Explicit\r\n' brindle: skip/" "$work/team/CStockItem.cls"
shoot workbench-main main "$example" modMain 30
shoot workbench-menu menu "$example" modMain 50
shoot workbench-tools tools "$example" modMain 30
shoot workbench-options options "$example" modMain 30
shoot workbench-status status "$example" modMain 30
shoot workbench-designer designer "$example" frmMain
shoot workbench-addins addins "$example" modMain 30
shoot workbench-splash splash "$example" modMain 30
shoot workbench-skipped skipped "$work/team/Inventory.vbp" modMain 30
shoot workbench-options-team options "$work/team/Inventory.vbp" modMain 30
shoot workbench-help help "$work/team/Inventory.vbp" modMain 30
shoot workbench-project-menu projectmenu "$example" modMain 30
for scene in projecttyped projectstep projectundone; do
    shoot "workbench-$scene" "$scene" "$example" modMain 16
done
shoot workbench-summary summary "$example" modMain 30
shoot workbench-objects objects "$example" frmMain 20
shoot workbench-recent recent "$example" modMain 30
shoot workbench-ctrlr ctrlr "$example" modMain 30
shoot workbench-replace replace "$example" modMain 30
shoot workbench-findselection findselection "$example" modMain 46
shoot workbench-reopened reopened "$example" modMain 50
shoot workbench-replaceall replaceall "$example" modMain 30
shoot workbench-replacesaved replacesaved "$example" modMain 30  # writes the example copy: last
# A project in Shift-JIS: "在庫" (stock), a module "モジュール" in a file of that name.
mkdir -p "$work/jp"
printf 'Type=Exe\r\nModule=Mod1; \x83\x82\x83\x57\x83\x85\x81\x5b\x83\x8b.bas\r\nName="\x8d\xdd\x8c\xc9"\r\n' \
    >"$work/jp/Stock.vbp"
printf 'Attribute VB_Name = "Mod1"\r\nOption Explicit\r\n' >"$work/jp/モジュール.bas"
shoot workbench-codepage codepage "$work/jp/Stock.vbp"
if [ $# -ge 3 ]; then
    cp -r "$(dirname "$2")" "$work/large"
    large="$work/large/$(basename "$2")"
    shoot large-opening opening "$large"
    shoot large-main main "$large" "$3" 15000
    shoot large-status status "$large" "$3"
fi
