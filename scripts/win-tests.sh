#!/bin/bash
# Windows-side tests under Wine: boots the build's Wine prefix, makes sure
# there is a display (a private Xvfb otherwise), runs win_tests.exe, checks
# that TOVIRAK.exe imports only system DLLs, and prints one summary line
#   winetests: N passed, M failed
# Exit status is non-zero when anything failed.
#   scripts/win-tests.sh <build-win-dir> [test filter...]
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
if [ -f "$exe" ]; then
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
else
    ensure_display || { fail "display" "no X display for Wine"; tests=""; }
fi
if [ -n "$tests" ]; then
    if ! wine_boot; then
        fail "Wine prefix" "wineboot failed"
    else
        log="$build/win_tests.log"
        # Run from the build folder; the tests find TOVIRAK.exe beside themselves.
        (cd "$build" && timeout -k 10 "${WIN_TESTS_TIMEOUT:-300}" "$WINE" "$tests" "$@") 2>&1 |
            tr -d '\r' | tee "$log"
        rc=${PIPESTATUS[0]}
        line=$(grep -E '^[0-9]+ passed, [0-9]+ failed' "$log" | tail -n1)
        if [ -z "$line" ]; then
            [ "$rc" -eq 124 ] && why="timed out" || why="ended without a summary (exit $rc)"
            fail "win_tests.exe" "$why"
        else
            p=$(echo "$line" | grep -Eo '^[0-9]+')
            f=$(echo "$line" | sed -E 's/^[0-9]+ passed, ([0-9]+) failed.*/\1/')
            passed=$((passed + p))
            failed=$((failed + f))
            if [ "$rc" -ne 0 ] && [ "$f" -eq 0 ]; then
                fail "win_tests.exe" "exit status $rc"
            fi
        fi
    fi
fi

echo "winetests: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
