#!/usr/bin/env bash
# Starts the program under Xvfb, waits until its window is drawn and saves a
# PNG screenshot of the virtual screen: tools/screenshot.sh [OUTPUT.png]
# VR_SKIN=Dark shows the demo project in another skin: a copy of the demo
# with that skin is packed as the received project of a separate working
# folder (build/run-SKIN), so the usual working folder is left alone.
# VR_CLICK="X,Y ..." clicks the virtual screen at those points (xdotool),
# one after the other, before the screenshot, e.g. to open a pop-up list.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-$root/build/screenshot.png}")
VR_WITH_SCREENSHOT=1 "$root/tools/install-deps.sh"
"$root/tools/build.sh"
# VR_EXE and VR_ARGS start another program on the demo (tools/arxdemo).
# Taken from the current folder: the program is started in its working folder.
exe=$(realpath -m "${VR_EXE:-${BUILD_DIR:-$root/build}/varolinremote}")
workdir=${VR_WORKDIR:-$root/build/run}
if [ -n "${VR_SKIN:-}" ]; then
    workdir=${VR_WORKDIR:-$root/build/run-$VR_SKIN}
    demo=$(mktemp -d)
    cp -r "$root/resources/demo/." "$demo/"
    sed -i "s|<skin>[^<]*</skin>|<skin>$VR_SKIN</skin>|" "$demo/Demo.cpf"
    mkdir -p "$workdir"
    "${BUILD_DIR:-$root/build}/tools/cpzpack/cpzpack" "$workdir/download.cpn" "$demo" \
        --utf16be /Demo.cpf /project/Demo.vpj /image/Demo.png /image/MusicPlayer.png \
        /image/HandheldMic.png /image/VarolinRemoteDemoProjectLogoBannerWide.png \
        /Sources.txt
    rm -rf "$demo"
fi
mkdir -p "$workdir" "$(dirname "$out")"
cd "$workdir"
export VR_EXE=$exe VR_OUT=$out VR_ARGS=${VR_ARGS:-} VR_CLICK=${VR_CLICK:-}
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    "$VR_EXE" $VR_ARGS & pid=$!
    for _ in $(seq 1 100); do
        xwininfo -root -tree 2>/dev/null | grep -q "Varolin Remote" && break
        sleep 0.1
    done
    sleep 2   # let the QML finish drawing
    for point in $VR_CLICK; do
        xdotool mousemove "${point%,*}" "${point#*,}" click 1
        sleep 1
    done
    # A program that is not there, or has ended, leaves only a black screen.
    if ! kill -0 "$pid" 2>/dev/null; then
        echo "screenshot: $VR_EXE is not running, no screenshot taken" >&2
        exit 1
    fi
    import -window root "$VR_OUT"
    kill "$pid"; wait "$pid" 2>/dev/null || true
'
echo "Screenshot saved to $out"
