#!/bin/bash
# The image search's figures: the native benchmark in a Release build of its
# own (build/bench-release), on the committed 1920 x 1080 screenshot; then,
# when a Windows build is given, the capture of a whole 1920 x 1080 screen
# and a search of it under Wine on a private Xvfb of that size.
#   scripts/image-bench.sh [build-win-dir]
# The machine's load is printed with the figures: they move with it.
set -eu
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
. scripts/deps.sh
ensure_deps native

build=build/bench-release
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DTOVIRAK_SANITIZE=OFF >/dev/null
cmake --build "$build" -j2 --target native_bench >/dev/null
echo "load: $(uptime | sed 's/.*load average/load average/')"
"$build/native_bench" --benchmark_filter='BM_Image' --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true

win="${1:-}"
[ -n "$win" ] || exit 0
win="$(cd "$win" && pwd)"
if [ ! -f "$win/capture_bench.exe" ]; then
    echo "image-bench: $win/capture_bench.exe is not built" >&2
    exit 1
fi
# shellcheck source=wine-env.sh
. scripts/wine-env.sh "$win"
unset DISPLAY  # a private display of 1920 x 1080
WINE_XVFB_SIZE=1920x1080 ensure_display
trap '"$WINESERVER" -k 2>/dev/null; stop_display' EXIT
wine_boot
# Something to look at: Notepad with a few lines of text.
"$WINE" notepad.exe >/dev/null 2>&1 &
sleep 3
echo "load: $(uptime | sed 's/.*load average/load average/')"
(cd "$win" && "$WINE" capture_bench.exe 50) | tr -d '\r'
