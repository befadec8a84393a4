#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan) and runs each for
# FUZZ_SECONDS (default 180); FUZZ_TARGETS="fuzz_archive ..." runs only those
# (fuzz_arxframe: the ARX meter feed's frames; fuzz_arxreply: the ARX REST
# replies' decoders). Each target starts from its
# seeds in tests/fuzz/seeds/<target>. Corpora and crashes stay under build-fuzz/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
VR_WITH_CLANG=1 "$root/tools/install-deps.sh"
build=${BUILD_DIR:-$root/build-fuzz}
CC=clang CXX=clang++ BUILD_DIR=$build BUILD_TYPE=Debug "$root/tools/build.sh" \
    -DVR_FUZZ=ON -DVR_BUILD_TESTS=ON -DVR_BUILD_BENCH=OFF
seconds=${FUZZ_SECONDS:-180}
for target in "$build"/tests/fuzz/fuzz_*; do
    [ -f "$target" ] && [ -x "$target" ] || continue
    name=$(basename "$target")
    [ -z "${FUZZ_TARGETS:-}" ] || [[ " $FUZZ_TARGETS " == *" $name "* ]] || continue
    corpus=$build/corpus/$name
    mkdir -p "$corpus" "$build/crashes/$name"
    [ -d "$root/tests/fuzz/seeds/$name" ] && cp -n "$root/tests/fuzz/seeds/$name"/* "$corpus"/ 2>/dev/null || true
    echo "== $name for ${seconds}s"
    QT_QPA_PLATFORM=offscreen "$target" -max_total_time="$seconds" \
        -artifact_prefix="$build/crashes/$name/" "$corpus"
done
