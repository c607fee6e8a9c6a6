#!/usr/bin/env bash
# Fails when the files under src/ include one another in a cycle. A header
# and its .cpp count as one unit (src/core/document.h and .cpp are
# "core/document"), so a .cpp including a header whose unit includes the
# .cpp's own header is a cycle too. Prints the units of a cycle found.
#   scripts/include-cycles.sh [src-dir]
set -uo pipefail
src="${1:-$(cd "$(dirname "$0")/.." && pwd)/src}"
cd "$src" || exit 2

edges=$(
    find . -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.inc' \) | sed 's|^\./||' | sort |
    while read -r file; do
        from="${file%.*}"
        echo "$from $from"  # every unit is a node, even one that includes nothing
        sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file" |
        while read -r inc; do
            # Includes name paths from src/; a bare name is beside the file.
            [ -e "$inc" ] || inc="$(dirname "$file")/$inc"
            [ -e "$inc" ] || continue
            to="${inc%.*}"
            [ "$to" != "$from" ] && echo "$from $to"
        done
    done
)
if ! out=$(printf '%s\n' "$edges" | tsort 2>&1 >/dev/null); then
    echo "include cycle among the units under src/:"
    printf '%s\n' "$out" | sed -n 's/^tsort: //p' | grep -v 'input contains a loop' | awk '!seen[$0]++ { print "  " $0 }'
    exit 1
fi
echo "include cycles: none ($(printf '%s\n' "$edges" | awk '{print $1}' | sort -u | wc -l) units)"
