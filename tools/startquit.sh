#!/usr/bin/env bash
# Starts the program built with the sanitizers once under Xvfb, lets it draw
# its first frame, closes its window and checks that it quits with status 0
# and without a sanitizer report: tools/startquit.sh [BUILD_DIR]
# (default build-asan, configured with -DVR_SANITIZE=ON).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$root/build-asan}")
exe=$build/varolinremote
helper=$build/tests/sanitizer/libvrcloseafterstart.so
for f in "$exe" "$helper"; do
    [ -e "$f" ] || { echo "startquit: $f is missing; build with -DVR_SANITIZE=ON first" >&2; exit 2; }
done
# A program built by gcc needs its sanitizer library loaded first.
asan=$(ldd "$exe" | awk '/libasan/ { print $3; exit }')
# The GL driver stays loaded to the end (see tests/sanitizer/lsan.supp).
driver=$(ls /usr/lib/*/dri/swrast_dri.so 2>/dev/null | head -n 1 || true)

# A home and working folder of its own: the demo project opens, and no
# settings or unpacked files of the user's are touched.
sandbox=$(mktemp -d)
trap 'rm -rf "$sandbox"' EXIT
mkdir -p "$sandbox/home" "$sandbox/work" "$sandbox/runtime"
chmod 700 "$sandbox/runtime"
log=$sandbox/startquit.log
status=0
(
    cd "$sandbox/work"
    export HOME=$sandbox/home XDG_CONFIG_HOME=$sandbox/home/.config \
        XDG_DATA_HOME=$sandbox/home/.local/share XDG_CACHE_HOME=$sandbox/home/.cache \
        XDG_RUNTIME_DIR=$sandbox/runtime
    unset QT_QPA_PLATFORM
    xvfb-run -a -s "-screen 0 1280x1024x24" timeout 300 env \
        LD_PRELOAD="${asan:+$asan }${driver:+$driver }$helper" \
        ASAN_OPTIONS=detect_leaks=1 \
        LSAN_OPTIONS="suppressions=$root/tests/sanitizer/lsan.supp:print_suppressions=0" \
        UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        "$exe"
) >"$log" 2>&1 || status=$?

if [ "$status" -ne 0 ] || ! grep -q '^CloseAfterStart: first frame drawn' "$log" \
    || grep -qE 'ERROR: (Address|Leak)Sanitizer|runtime error:' "$log"; then
    grep -vE '^(QDEBUG|Debug|qt\.)' "$log" | tail -n 80 >&2
    echo "startquit: the program did not start and quit cleanly under the sanitizers (status $status)" >&2
    exit 1
fi
echo "startquit: started, drew, quit with status 0 and no sanitizer report"
