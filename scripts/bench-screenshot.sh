#!/bin/bash
# The screen the image benchmark searches (bench/data/ui-1920x1080.png):
# TOVIRAK.exe with a sample document, Wine's Notepad holding some text and
# its Find dialog, on a private 1920 x 1080 Xvfb, taken with ImageMagick.
#   scripts/bench-screenshot.sh <build-win-dir>
set -eu
build="$(cd "${1:?usage: scripts/bench-screenshot.sh <build-win-dir>}" && pwd)"
root="$(cd "$(dirname "$0")/.." && pwd)"
# shellcheck source=wine-env.sh
. "$root/scripts/wine-env.sh" "$build"
work=$(mktemp -d)
fdfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$fdfile" >/dev/null 2>&1 &
xvfb=$!
trap '"$WINESERVER" -k 2>/dev/null; kill $xvfb 2>/dev/null; rm -rf "$work" "$fdfile"' EXIT
for _ in $(seq 1 100); do [ -s "$fdfile" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$fdfile")"
wine_boot

printf '%s\r\n' "Image steps wait for a picture on the screen." "画像が現れるまで待ってからクリックします。" \
    "" "The quick brown fox jumps over the lazy dog. 0123456789" "設定ボタンを押して、範囲をドラッグしてください。" \
    "Tolerance 32 allows a little change in every colour." >"$work/notes.txt"
cp "$root/samples/hello.TVK" "$work/"
(cd "$work" && "$WINE" "$build/TOVIRAK.exe" /NOMSG hello.TVK >/dev/null 2>&1 &)
sleep 4
(cd "$work" && "$WINE" notepad.exe notes.txt >/dev/null 2>&1 &)
sleep 3
xdotool search --onlyvisible --name 'notes.txt' windowmove 520 300 windowsize 1100 600 windowfocus --sync key ctrl+f
sleep 2
import -window root "$root/bench/data/ui-1920x1080.png"
echo "wrote bench/data/ui-1920x1080.png"
