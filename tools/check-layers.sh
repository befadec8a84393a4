#!/usr/bin/env bash
# Fails when an include runs against the order of the program's folders.
#
# The folders stand in one order, lowest first. A file may include headers
# of its own folder and of the folders below it; never of a folder above it,
# nor of the other folder on its own step (widgets/ and roomcombine/ know
# nothing of each other):
#   1  project/                 the XML and archive base
#   2  comms/                   transports, protocols, transforms
#   3  amplifiers/              ARX and array access
#   4  devices/                 the device tree
#   5  controls/                the control tree and the widget base
#   6  widgets/  roomcombine/   interactive widgets; room combining
#   7  devicestatus/            the device-status dashboard
#   8  app/                     the application
# A lower folder that needs something of a higher one declares it as a small
# interface of its own, which the higher one implements.
#
# Outside those folders, the tests and tools built on the engine alone must
# never reach up into app/; only the application's tests (tests/app), the
# benchmarks and the ARX demo launcher (which opens the program itself) may
# include it.
# Usage: tools/check-layers.sh [source root]
set -euo pipefail
root=$(cd "${1:-$(dirname "$0")/..}" && pwd)
cd "$root"

layers=(project comms amplifiers devices controls "widgets roomcombine" devicestatus app)
declare -A rank
shown=""
for step in "${!layers[@]}"; do
    for folder in ${layers[$step]}; do
        rank[$folder]=$step
    done
    shown+="${shown:+ < }${layers[$step]// / = }"
done

include='^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"](\.\./)*([a-z]+)/'
against=""
for folder in "${!rank[@]}"; do
    [ -d "$folder" ] || continue
    while IFS= read -r hit; do
        [ -n "$hit" ] || continue
        text=${hit#*:*:}
        [[ $text =~ $include ]] || continue
        target=${BASH_REMATCH[2]}
        [ -n "${rank[$target]+set}" ] || continue
        [ "$target" != "$folder" ] || continue
        if [ "${rank[$target]}" -ge "${rank[$folder]}" ]; then
            against+="$hit   ($folder/ may not include $target/)"$'\n'
        fi
    done < <(find "$folder" -type f \( -name '*.cpp' -o -name '*.h' \) -print0 \
             | xargs -0 -r grep -nHE "$include" || true)
done

pattern='^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"](\.\./)*app/'
engine=$(IFS='|'; echo "${!rank[*]}")
outside=$(find . \( -path ./tests/app -o -path ./bench -o -path ./tools/arxdemo -o -path ./.git \
                    -o -path './build*' -o -path './fuzz-build*' \) -prune \
               -o -type f \( -name '*.cpp' -o -name '*.h' \) -print0 \
          | xargs -0 -r grep -nE "$pattern" \
          | grep -vE "^\./($engine)/" || true)

status=0
if [ -n "$against" ]; then
    echo "These includes run against the order ($shown):"
    printf '%s' "$against" | sort
    status=1
fi
if [ -n "$outside" ]; then
    echo "These files outside the program's folders include an app/ header:"
    echo "$outside"
    status=1
fi
if [ "$status" -eq 0 ]; then
    echo "Every include points down the order ($shown); no file outside the program includes app/."
fi
exit "$status"
