#!/usr/bin/env bash
# Installs what is missing, builds, runs every test.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
"$here/tools/install-deps.sh"
"$here/tools/build.sh" "$here/build"
cd "$here/build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)" "$@"
