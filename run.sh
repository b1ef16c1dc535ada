#!/usr/bin/env bash
# Installs what is missing, builds and starts the program. An optional path
# preselects its folder as the source directory.
#   ./run.sh [path]
#   ./run.sh --screenshot FILE   saves a picture of the main window (under Xvfb)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"

if [[ "${1:-}" == "--screenshot" ]]; then
    shift
    exec "$here/tools/screenshot.sh" "$@"
fi

"$here/tools/install-deps.sh"
"$here/tools/build.sh" "$here/build" >/dev/null
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
    echo "Keine Anzeige vorhanden (DISPLAY und WAYLAND_DISPLAY sind leer): das Programm kann kein Fenster öffnen." >&2
    exit 1
fi
if (($# > 0)); then
    # The program takes host paths from "/"; a relative one is made absolute here.
    path="$1"
    [[ "$path" == /* ]] || path="$(realpath -s -m -- "$path")"
    exec "$here/build/app/quorvane" "$path"
fi
exec "$here/build/app/quorvane"
