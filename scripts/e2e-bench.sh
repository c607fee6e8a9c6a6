#!/bin/bash
# Builds TOVIRAK.exe and the end-to-end benchmark and runs it under Wine (a
# private Xvfb when there is no display): start-up times, keys arrived per
# second at 1, 2, 5 and 10 ms into a counting window, the idle CPU and the
# cost of each part of a tick. Not part of scripts/test: it takes a few
# minutes and its figures depend on the machine's load, which it prints
# before and after.
#   scripts/e2e-bench.sh [build-win-dir] [start] [rate] [idle] [cost]
# E2E_BENCH_PASSES, E2E_BENCH_STARTS and E2E_BENCH_IDLE_SECONDS set the
# lengths (see bench/win/e2e_bench.cpp).
set -u

here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/.." && pwd)"
build="${BUILD_WIN:-$root/build/win}"
if [ $# -gt 0 ] && [ -d "$1" ]; then build="$1"; shift; fi
mkdir -p "$build"
build="$(cd "$build" && pwd)"

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=Release >/dev/null || exit 2
fi
cmake --build "$build" --target e2e_bench -j2 >/dev/null || { echo "e2e-bench: build failed" >&2; exit 2; }

# shellcheck source=wine-env.sh
. "$here/wine-env.sh" "$build" || exit 2
cleanup() {
    "$WINESERVER" -k 2>/dev/null
    stop_display
}
trap cleanup EXIT
ensure_display || exit 2
wine_boot || exit 2

echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
"$WINE" "$build/e2e_bench.exe" "$@"
status=$?
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
exit $status
