#!/usr/bin/env bash
# Fails when a file outside the application includes one of its headers. The
# engine (every source folder but app/) and the tests and tools built on it
# alone must never reach up into app/; only app/ itself, the application's
# tests (tests/app), the benchmarks and the ARX demo launcher (which opens the
# program itself) may include it.
# Usage: tools/check-layers.sh [source root]
set -euo pipefail
root=$(cd "${1:-$(dirname "$0")/..}" && pwd)
cd "$root"
pattern='^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"](\.\./)*app/'
offenders=$(find . \( -path ./app -o -path ./tests/app -o -path ./bench -o -path ./tools/arxdemo -o -path ./.git \
                      -o -path './build*' -o -path './fuzz-build*' \) -prune \
                 -o -type f \( -name '*.cpp' -o -name '*.h' \) -print0 \
            | xargs -0 grep -nE "$pattern" || true)
if [ -n "$offenders" ]; then
    echo "These files outside app/ include an app/ header:"
    echo "$offenders"
    exit 1
fi
echo "No file outside app/ includes an app/ header."
