#!/usr/bin/env bash
# Builds the program, starts it on a private X display with a window manager
# and saves a picture of its main window, taken from outside.
#   tools/screenshot.sh FILE [path]
# QUORVANE_BUILD_DIR picks another build folder than build/.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:?usage: tools/screenshot.sh FILE [path]}"
shift
out="$(cd "$(dirname "$out")" && pwd)/$(basename "$out")"

"$here/tools/install-deps.sh" --with-display
build="${QUORVANE_BUILD_DIR:-$here/build}"
"$here/tools/build.sh" "$build" >/dev/null

# The settings file goes to a scratch folder, not next to the build.
scratch="$(mktemp -d)"
pids=()
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT

# The X server names the free display it found on the given descriptor.
Xvfb -displayfd 1 -screen 0 1024x768x24 -dpi 96 -nolisten tcp -noreset >"$scratch/display" 2>/dev/null &
pids+=($!)
for _ in $(seq 100); do [[ -s "$scratch/display" ]] && break; sleep 0.1; done
export DISPLAY=":$(head -1 "$scratch/display")"
[[ "$DISPLAY" != ":" ]] || { echo "Xvfb konnte nicht starten." >&2; exit 1; }
unset XAUTHORITY WAYLAND_DISPLAY

openbox >/dev/null 2>&1 &
pids+=($!)
QUORVANE_APP_DIR="$scratch" QT_QPA_PLATFORM=xcb "$build/app/quorvane" "$@" >/dev/null 2>&1 &
pids+=($!)

window=""
for _ in $(seq 100); do
    window="$(xdotool search --onlyvisible --name '^Brannick Quorvane$' 2>/dev/null | head -1 || true)"
    [[ -n "$window" ]] && break
    sleep 0.1
done
[[ -n "$window" ]] || { echo "Das Hauptfenster erschien nicht." >&2; exit 1; }
sleep 0.5 # let the window manager frame it and the window draw itself
import -window "$window" "$out"
echo "$out"
