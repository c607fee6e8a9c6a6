#!/bin/bash
# Builds the Windows timer benchmark and runs it under Wine (a private Xvfb
# when there is no display). Not part of scripts/test: it takes about a
# minute and its figures depend on the machine's load.
#   scripts/timer-bench.sh [build-win-dir]      (default: build/win)
# TIMER_BENCH_SECONDS sets the length of each run (default 3).
set -u

here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/.." && pwd)"
build="${1:-${BUILD_WIN:-$root/build/win}}"
mkdir -p "$build"
build="$(cd "$build" && pwd)"

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=Release >/dev/null || exit 2
fi
cmake --build "$build" --target timer_bench -j2 >/dev/null || { echo "timer-bench: build failed" >&2; exit 2; }

# shellcheck source=wine-env.sh
. "$here/wine-env.sh" "$build" || exit 2
cleanup() {
    "$WINESERVER" -k 2>/dev/null
    stop_display
    [ -n "${work:-}" ] && rm -rf "$work"
}
trap cleanup EXIT
ensure_display || exit 2
wine_boot || exit 2

# An empty working folder: the program reads and writes TOVIRAK.TVK there.
work=$(mktemp -d)
cd "$work" || exit 2
"$WINE" "$build/timer_bench.exe" /NOMSG
