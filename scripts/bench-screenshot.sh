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
unset DISPLAY  # always a private display of the benchmark's size
WINE_XVFB_SIZE=1920x1080 ensure_display
trap '"$WINESERVER" -k 2>/dev/null; stop_display; rm -rf "$work"' EXIT
wine_boot

# Some lines of text, Japanese and English (UTF-8 with its mark, which
# Notepad reads as such).
python3 - "$work/notes.txt" <<'PY'
import sys
lines = ["Image steps wait for a picture on the screen, then click it.",
         "画像が現れるまで待ってからクリックします。", ""]
for n in range(1, 23):
    lines.append(f"{n:2}. 設定ボタンを押して範囲をドラッグ / drag a rectangle over button {n} (tolerance {n * 7 % 64})")
open(sys.argv[1], "wb").write(("\r\n".join(lines) + "\r\n").encode("utf-8-sig"))
PY
cp "$root/samples/hello.TVK" "$work/"
# A Wine desktop of the screen's size: its background, title bars and frames
# are drawn as on Windows.
desk="/desktop=bench,1920x1080"
(cd "$work" && "$WINE" explorer "$desk" "$(winepath_of "$build/TOVIRAK.exe")" /NOMSG hello.TVK >/dev/null 2>&1 &)
sleep 6
(cd "$work" && "$WINE" explorer "$desk" notepad.exe notes.txt >/dev/null 2>&1 &)
sleep 4
xdotool key ctrl+f
sleep 1
xdotool type picture
sleep 2
import -window root "$root/bench/data/ui-1920x1080.png"
echo "wrote bench/data/ui-1920x1080.png"
