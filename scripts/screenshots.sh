#!/usr/bin/env bash
# Shows each of the add-in's Qt windows on a virtual screen with a window manager and takes a
# screenshot of the whole screen, to look at as a user would:
#   scripts/screenshots.sh [DIR]      PNG files into DIR (default build/screenshots)
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-build/screenshots}"
scripts/install-deps.sh xvfb imagemagick openbox fonts-dejavu-core
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target window_gallery
mkdir -p "$out"

# Xvfb picks a free display and writes its number into the file.
displayfile="$(mktemp)"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$displayfile" 2>/dev/null &
xvfb=$!
wm=""
stop() {
    if [ -n "$wm" ]; then kill "$wm" 2>/dev/null || true; wait "$wm" 2>/dev/null || true; fi
    kill "$xvfb" 2>/dev/null || true
    rm -f "$displayfile"
}
trap stop EXIT
for _ in $(seq 50); do [ -s "$displayfile" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n 1 "$displayfile")"
openbox >/dev/null 2>&1 &
wm=$!
sleep 1

for window in options templates status splash question; do
    build/tests/qt/window_gallery "$window" 3 &
    app=$!
    sleep 1.5
    import -window root "$out/$window.png"
    wait "$app" || true
    echo "$out/$window.png"
done
