#!/bin/bash
# The download for Windows users: makes it as README.md says
# (cmake --build <build> --target package), checks that TOVIRAK-<version>.zip
# holds exactly TOVIRAK.exe, README.TXT and samples\ as built, unpacks it,
# and runs some Windows-side tests from the unpacked folder under Wine (the
# Japanese desk): the program file carries its version and icon, and plays
# the first sample as a user who unpacked it would. Prints one summary line
#   package: N passed, M failed
#   scripts/package-test.sh <build-win-dir>
set -u

build="${1:?usage: scripts/package-test.sh <build-win-dir>}"
build="$(cd "$build" && pwd)"
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/.." && pwd)"

passed=0
failed=0
pass() { passed=$((passed + 1)); echo "[  OK  ] $1"; }
fail() { failed=$((failed + 1)); echo "[ FAIL ] $1${2:+: $2}"; }
summary() {
    echo "package: $passed passed, $failed failed"
    [ "$failed" -eq 0 ]
    exit
}

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
zip="$build/TOVIRAK-$version.zip"
rm -f "$build"/TOVIRAK-*.zip
if ! cmake --build "$build" --target package -j2 >"$build/package.log" 2>&1; then
    fail "cmake --build --target package" "see $build/package.log"
    summary
fi
made=$(cd "$build" && ls TOVIRAK-*.zip 2>/dev/null | tr '\n' ' ')
if [ -n "$version" ] && [ -f "$zip" ] && [ "$made" = "TOVIRAK-$version.zip " ]; then
    pass "the package target makes TOVIRAK-$version.zip"
else
    fail "the package target makes TOVIRAK-$version.zip" "made: ${made:-nothing}"
    summary
fi

# What it must hold, each file with the one it is a copy of.
declare -A want=([TOVIRAK.exe]="$build/TOVIRAK.exe" [README.TXT]="$root/res/README.TXT")
for f in "$root"/samples/*.TVK; do want["samples/$(basename "$f")"]="$f"; done
entries=$(cmake -E tar tf "$zip" | grep -v '/$' | sort)
expected=$(printf '%s\n' "${!want[@]}" | sort)
if [ "$entries" = "$expected" ]; then
    pass "the zip holds $(echo $entries)"
else
    fail "the zip holds what the download needs" "holds [$(echo $entries)], wants [$(echo $expected)]"
fi

unpacked="$build/package-check"
rm -rf "$unpacked"
mkdir -p "$unpacked"
(cd "$unpacked" && cmake -E tar xf "$zip")
different=""
for name in "${!want[@]}"; do
    cmp -s "$unpacked/$name" "${want[$name]}" || different+=" $name"
done
if [ -z "$different" ]; then
    pass "the unpacked files are the ones built"
else
    fail "the unpacked files are the ones built" "differ or missing:$different"
fi

# The tests find TOVIRAK.exe, the help file and samples\ beside themselves.
cp "$build/win_tests.exe" "$unpacked/"
# shellcheck source=wine-env.sh
. "$here/wine-env.sh" "$build" || summary
trap '"$WINESERVER" -k 2>/dev/null; stop_display' EXIT
if desk_display && wine_boot; then
    for name in ProgramFile.CarriesItsVersionAndItsIcon Samples.HelloStartsNotepadAndTypesItsGreetingOnce; do
        out=$(cd "$unpacked" && timeout -k 5 90 "$WINE" win_tests.exe "=$name" 2>&1 </dev/null | tr -d '\r')
        if printf '%s\n' "$out" | grep -q -F "[  OK  ] $name"; then
            pass "unpacked: $name"
        else
            printf '%s\n' "$out" | grep -v -E '^\[ RUN|passed, [0-9]+ failed'
            fail "unpacked: $name"
        fi
    done
else
    fail "Wine for the unpacked program" "no display or prefix"
fi
"$WINESERVER" -k 2>/dev/null
rm -rf "$unpacked"
summary
