#!/bin/bash
# Windows-side tests under Wine on one desk (WINE_DESK, see wine-env.sh;
# the Japanese one by default): boots the desk's Wine prefix, starts a
# private Xvfb with the desk's keyboard layout (whatever DISPLAY says), runs
# win_tests.exe, checks that TOVIRAK.exe imports only system DLLs (when no
# filter is given), and prints one summary line
#   winetests (ja desk): N passed, M failed
# Exit status is non-zero when anything failed.
#   scripts/win-tests.sh <build-win-dir> [test filter...]
# WIN_TEST_TIMEOUT (s, per test, default 90) and WIN_TESTS_BUDGET (s, all
# tests, default 420) keep a hanging test from stalling the whole run.
set -u

build="${1:-${BUILD_WIN:-}}"
if [ -z "$build" ] || [ ! -d "$build" ]; then
    echo "usage: scripts/win-tests.sh <build-win-dir> [filter...]" >&2
    exit 2
fi
shift
build="$(cd "$build" && pwd)"
here="$(cd "$(dirname "$0")" && pwd)"
# shellcheck source=wine-env.sh
. "$here/wine-env.sh" "$build" || exit 2

passed=0
failed=0
skipped=0
pass() { passed=$((passed + 1)); echo "[  OK  ] $1"; }
fail() { failed=$((failed + 1)); echo "[ FAIL ] $1${2:+: $2}"; }

cleanup() {
    "$WINESERVER" -k 2>/dev/null
    stop_display
}
trap cleanup EXIT

# --- imports: the program must run on a bare Windows --------------------------
exe="$build/TOVIRAK.exe"
objdump="${OBJDUMP:-x86_64-w64-mingw32-objdump}"
if [ $# -gt 0 ]; then
    :  # a filtered run tests only what it names
elif [ -f "$exe" ]; then
    dlls=$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p')
    bad=$(printf '%s\n' "$dlls" | grep -v -i -x -E \
        'kernel32\.dll|user32\.dll|gdi32\.dll|advapi32\.dll|winmm\.dll|comctl32\.dll|shell32\.dll|ole32\.dll|oleaut32\.dll|comdlg32\.dll|shlwapi\.dll|uxtheme\.dll|imm32\.dll|version\.dll|msvcrt\.dll|ucrtbase\.dll|api-ms-win-[a-z0-9-]+\.dll|ntdll\.dll|ws2_32\.dll|bcrypt\.dll|dwmapi\.dll|shcore\.dll')
    if [ -z "$dlls" ]; then
        fail "imports of TOVIRAK.exe" "objdump found no imports"
    elif [ -n "$bad" ]; then
        fail "imports of TOVIRAK.exe" "non-system DLLs: $(echo $bad)"
    else
        pass "imports of TOVIRAK.exe ($(echo $dlls))"
    fi
else
    fail "imports of TOVIRAK.exe" "$exe not built"
fi

# --- the test program ------------------------------------------------------------
tests="$build/win_tests.exe"
if [ ! -f "$tests" ]; then
    fail "win_tests.exe" "not built"
    tests=""
else
    desk_display || { fail "display" "no X display for Wine"; tests=""; }
fi
if [ -n "$tests" ]; then
    if ! wine_boot; then
        fail "Wine prefix" "wineboot failed"
    else
        log="$build/win_tests.log"
        : >"$log"
        # One process per test: a test that hangs or crashes costs only
        # itself, and the others still report.
        per_test="${WIN_TEST_TIMEOUT:-90}"
        budget="${WIN_TESTS_BUDGET:-420}"
        deadline=$((SECONDS + budget))
        names=$(cd "$build" && timeout -k 5 60 "$WINE" "$tests" --list "$@" 2>/dev/null </dev/null | tr -d '\r')
        if [ -z "$names" ]; then
            fail "win_tests.exe" "listed no tests"
        fi
        while IFS= read -r name; do
            [ -n "$name" ] || continue
            if [ "$SECONDS" -ge "$deadline" ]; then
                fail "$name" "not run: the Wine phase used its ${budget} s"
                continue
            fi
            # Run from the build folder; the tests find TOVIRAK.exe beside
            # themselves. Output goes to a file, not a pipe: programs a test
            # starts inherit it and would keep a pipe open after a timeout.
            (cd "$build" && timeout -k 5 "$per_test" "$WINE" "$tests" "=$name" >"$build/win_test.out" 2>&1)
            rc=$?
            out=$(tr -d '\r' <"$build/win_test.out")
            printf '%s\n' "$out" >>"$log"
            printf '%s\n' "$out" | grep -v -E '^[0-9]+ passed, [0-9]+ failed|^failed: '
            if printf '%s\n' "$out" | grep -q -F "[  OK  ] $name"; then
                passed=$((passed + 1))
            elif printf '%s\n' "$out" | grep -q -F "[ SKIP ] $name"; then
                skipped=$((skipped + 1))
            elif printf '%s\n' "$out" | grep -q -F "[ FAIL ] $name"; then
                failed=$((failed + 1))
            else
                [ "$rc" -eq 124 ] && why="timed out after ${per_test} s" || why="ended without a result (exit $rc)"
                fail "$name" "$why"
                # Whatever the test left running in the prefix goes too.
                "$WINESERVER" -k 2>/dev/null
                sleep 1
            fi
        done <<<"$names"
    fi
fi

echo "winetests ($WINE_DESK desk): $passed passed, $failed failed$([ "$skipped" -gt 0 ] && echo ", $skipped skipped")"
[ "$failed" -eq 0 ]
