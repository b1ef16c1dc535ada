#!/usr/bin/env bash
# Installs what is missing, builds, and lists every file below a folder
# (the current folder by default).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
"$here/tools/install-deps.sh"
"$here/tools/build.sh" "$here/build" >/dev/null
exec "$here/build/cli/quorvane-cli" list "${1:-$PWD}" --all
