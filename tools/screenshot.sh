#!/usr/bin/env bash
# Builds the program, starts it under a virtual X display and saves a picture
# of its main window.
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
trap 'rm -rf "$scratch"' EXIT
QUORVANE_APP_DIR="$scratch" QUORVANE_SCREENSHOT="$out" QT_QPA_PLATFORM=xcb \
    xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" "$build/app/quorvane" "$@"
echo "$out"
