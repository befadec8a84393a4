#!/usr/bin/env bash
# The layering check must fail on one include against the order. This copies
# the program's folders to a scratch tree, checks the copy (which must pass),
# plants one include of a TO/ header into a header of FROM/, checks again
# (which must fail and name the planted line) and removes the copy.
# Usage: tests/layers/planted-include.sh CHECKER SOURCE_ROOT FROM TO
set -euo pipefail
checker=$1
root=$(cd "$2" && pwd)
from=$3
to=$4

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for folder in project comms amplifiers devices controls widgets roomcombine devicestatus app; do
    mkdir -p "$work/$folder"
    find "$root/$folder" -maxdepth 1 -type f \( -name '*.cpp' -o -name '*.h' \) -exec cp -t "$work/$folder/" {} +
done

if ! "$checker" "$work" >/dev/null; then
    echo "The check fails on the copy before anything was planted:"
    "$checker" "$work" || true
    exit 1
fi

victim=$(find "$work/$from" -maxdepth 1 -name '*.h' | sort | head -n 1)
header=$(find "$root/$to" -maxdepth 1 -name '*.h' | sort | head -n 1)
planted="#include \"$to/${header##*/}\""
echo "$planted" >>"$victim"
line=$(wc -l <"$victim")

if output=$("$checker" "$work"); then
    echo "The check passed with ${victim#"$work"/} including $to/${header##*/}:"
    echo "$output"
    exit 1
fi
echo "$output"
if ! grep -qF "${victim#"$work"/}:$line:$planted" <<<"$output"; then
    echo "The check failed without naming the planted line ${victim#"$work"/}:$line."
    exit 1
fi
echo "The include planted in ${victim#"$work"/} fails the check, as it should."
