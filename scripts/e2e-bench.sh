#!/bin/bash
# Builds TOVIRAK.exe and the end-to-end benchmark and runs them under Wine (a
# private Xvfb when there is no display):
#   start   process start to the main window shown (no document, a
#           100,000-step TOVIRAK.TVK, Wine's Notepad and an empty window
#           program for comparison, one start of each in turn per round);
#   rate    keys arrived per second into a counting window at 1, 2, 5 and
#           10 ms (bench/win/e2e_bench.cpp);
#   idle    CPU of the idle program (start and stop hot keys set), read from
#           /proc for the program and for the Wine server, which answers its
#           system calls; an empty window program beside it as the floor;
#   cost    what each part of a tick costs.
# Not part of scripts/test: it takes a few minutes and its figures depend on
# the machine's load, which it prints (the 1-minute figure of /proc/loadavg)
# before and after, before each rate run and before the idle runs.
#   scripts/e2e-bench.sh [build-win-dir] [start] [rate] [idle] [cost]
# E2E_BENCH_PASSES, E2E_BENCH_STARTS (see bench/win/e2e_bench.cpp) and
# E2E_BENCH_IDLE_SECONDS (default 20) set the lengths.
set -u

here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/.." && pwd)"
build="${BUILD_WIN:-$root/build/win}"
if [ $# -gt 0 ] && [ -d "$1" ]; then build="$1"; shift; fi
mkdir -p "$build"
build="$(cd "$build" && pwd)"

parts=("$@")
[ ${#parts[@]} -eq 0 ] && parts=(start rate idle cost)
want() { local p; for p in "${parts[@]}"; do [ "$p" = "$1" ] && return 0; done; return 1; }
exe_parts=()
for p in "${parts[@]}"; do [ "$p" != idle ] && exe_parts+=("$p"); done

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=Release >/dev/null || exit 2
fi
cmake --build "$build" --target e2e_bench -j2 >/dev/null || { echo "e2e-bench: build failed" >&2; exit 2; }

# shellcheck source=wine-env.sh
. "$here/wine-env.sh" "$build" || exit 2
idle_dir=""
idle_pid=""
cleanup() {
    [ -n "$idle_pid" ] && kill "$idle_pid" 2>/dev/null
    "$WINESERVER" -k 2>/dev/null
    stop_display
    [ -n "$idle_dir" ] && rm -rf "$idle_dir"
}
trap cleanup EXIT
ensure_display || exit 2
wine_boot || exit 2

echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
status=0
if [ ${#exe_parts[@]} -gt 0 ]; then
    "$WINE" "$build/e2e_bench.exe" "${exe_parts[@]}"
    status=$?
fi

# CPU seconds (user + system) of a process so far.
cpu_of() { awk -v t="$(getconf CLK_TCK)" '{ print ($14 + $15) / t }' "/proc/$1/stat" 2>/dev/null; }

# Starts a program in folder $1 (the rest: the program and its arguments),
# waits, and prints its CPU and the Wine server's over E2E_BENCH_IDLE_SECONDS
# as "<program %> <server %> <seconds>"; the program is ended afterwards.
idle_of() {
    local dir="$1" name; shift
    name=$(basename "$1")
    (cd "$dir" && exec "$WINE" "$@" >/dev/null 2>&1) &
    idle_pid=""
    # The program's process is the one working in that folder.
    for _ in $(seq 100); do
        for p in $(pgrep -f "$name"); do
            [ "$(readlink "/proc/$p/cwd")" = "$dir" ] && [ "$(cat "/proc/$p/comm")" != wine ] && idle_pid=$p
        done
        [ -n "$idle_pid" ] && break
        sleep 0.1
    done
    local server="" a0 a1 s0 s1 t0 t1
    for p in $(pgrep -f wineserver); do
        tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && server=$p
    done
    if [ -z "$idle_pid" ]; then
        echo "- - -"
        return
    fi
    sleep 3  # start-up settles
    a0=$(cpu_of "$idle_pid"); s0=$(cpu_of "${server:-0}"); t0=$(date +%s.%N)
    sleep "$seconds"
    a1=$(cpu_of "$idle_pid"); s1=$(cpu_of "${server:-0}"); t1=$(date +%s.%N)
    kill "$idle_pid" 2>/dev/null
    wait 2>/dev/null
    idle_pid=""
    awk -v a0="$a0" -v a1="$a1" -v s0="${s0:-0}" -v s1="${s1:-0}" -v t0="$t0" -v t1="$t1" 'BEGIN {
        w = t1 - t0; printf "%.2f %.2f %.1f\n", (a1 - a0) * 100 / w, (s1 - s0) * 100 / w, w }'
}

if want idle; then
    seconds="${E2E_BENCH_IDLE_SECONDS:-20}"
    idle_dir=$(mktemp -d)
    printf 'Ver=1.0\r\nTop=0\r\nHeight=4275\r\nLeft=0\r\nWidth=3690\r\nKankakuTime=1\r\nKankakuTimeTani=1\r\nWindowTitle=\r\nStartHotKey=VK_F11\r\nStopHotKey=VK_F12\r\nTimerHH=0\r\nTimerMM=0\r\nTimerEnabled=False\r\nTimerPCOff=False\r\nTopMost=False\r\nNotActive=False\r\n"","",""\r\n' >"$idle_dir/idle.TVK"
    echo "idle CPU over ${seconds} s, in % of one core (the program / the Wine server while it runs; load before each):"
    load=$(cut -d' ' -f1 /proc/loadavg)
    read -r a s w < <(idle_of "$idle_dir" "$build/TOVIRAK.exe" /NOMSG idle.TVK)
    printf '  %-44s %6s %6s   load %s\n' "TOVIRAK, start and stop hot keys set" "$a" "$s" "$load"
    load=$(cut -d' ' -f1 /proc/loadavg)
    read -r a s w < <(idle_of "$idle_dir" "$build/e2e_bench.exe" window)
    printf '  %-44s %6s %6s   load %s\n' "empty window (floor)" "$a" "$s" "$load"
fi
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
exit $status
