#!/usr/bin/env bash
# Installs, with apt-get, the Debian packages this project needs that are not
# installed yet. Safe to run again: with nothing missing it does nothing.
set -euo pipefail

packages=(
    # build
    cmake ninja-build g++ pkg-config
    # Qt 6 development packages (qt6-tools-dev brings the LinguistTools CMake package)
    qt6-base-dev qt6-declarative-dev qt6-websockets-dev qt6-5compat-dev
    qt6-tools-dev qt6-l10n-tools
    # Qt's HTTP server, for the simulated ARX amplifier (tests and tools only)
    qt6-httpserver-dev
    # zlib's streaming interface, for unpacking archive members within bounds
    zlib1g-dev
    # QML run-time modules the QML imports
    qml6-module-qtquick qml6-module-qtquick-window qml6-module-qtquick-layouts
    qml6-module-qtquick-controls qml6-module-qtquick-templates
    qml6-module-qtquick-dialogs qml6-module-qtqml-workerscript
    # a display for machines without one, and stable font rendering
    xvfb xauth libgl1-mesa-dri fonts-dejavu-core
)
if [ "${VR_WITH_SCREENSHOT:-0}" = 1 ]; then
    packages+=(imagemagick x11-utils xdotool)
fi
if [ "${VR_WITH_CLANG:-0}" = 1 ]; then
    packages+=(clang libclang-rt-dev)
fi

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [ "$status" = "install ok installed" ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
