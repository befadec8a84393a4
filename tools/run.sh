#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program on its built-in
# demo project. Without a display it starts under Xvfb and says so.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install-deps.sh"
"$root/tools/build.sh"
exe=${BUILD_DIR:-$root/build}/varolinremote
# Start in a folder of our own so the demo project is the one that opens.
workdir=${VR_WORKDIR:-$root/build/run}
mkdir -p "$workdir"
cd "$workdir"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: starting the program under Xvfb (a virtual display; nothing appears on screen)."
    exec xvfb-run -a -s "-screen 0 1920x1080x24" "$exe"
fi
exec "$exe"
