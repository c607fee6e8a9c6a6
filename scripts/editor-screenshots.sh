#!/bin/bash
# Screenshots of the main window for README.md: TOVIRAK.exe under Wine, in a
# Wine virtual desktop on a private display, with a document of a few hundred
# steps opened from the command line at two window sizes (the document sets
# the size). Writes docs/screenshot-small.png and docs/screenshot-large.png.
#   scripts/editor-screenshots.sh <build-win-dir>
set -eu
build="$(cd "${1:?usage: scripts/editor-screenshots.sh <build-win-dir>}" && pwd)"
here="$(cd "$(dirname "$0")" && pwd)"
out="$here/../docs"
mkdir -p "$out"
# shellcheck source=wine-env.sh
. "$here/wine-env.sh" "$build"
unset DISPLAY  # always a private display of known size
ensure_display
trap '"$WINESERVER" -k 2>/dev/null; stop_display; rm -rf "$work"' EXIT
wine_boot

work=$(mktemp -d)
# A document of 300 steps in the program's own format (CP932, CR LF); the
# window geometry is in twips (15 per pixel at 96 dots per inch).
make_doc() {  # path widthTwips heightTwips
    python3 - "$1" "$2" "$3" <<'PY'
import sys
path, w, h = sys.argv[1], sys.argv[2], sys.argv[3]
lines = ["Ver=1.0", "Top=300", f"Height={h}", "Left=300", f"Width={w}",
         "KankakuTime=1.5", "KankakuTimeTani=1", "WindowTitle=メモ帳",
         "StartHotKey=VK_F11", "StopHotKey=VK_F12", "TimerHH=1", "TimerMM=30",
         "TimerEnabled=True", "TimerPCOff=False", "TopMost=False", "NotActive=False"]
cycle = [("ｳｨﾝﾄﾞｳｱｸﾃｨﾌﾞ", "メモ帳", "対象を手前に"),
         ("左ｸﾘｯｸ", "{x},{y}", "ボタン{n}"),
         ("待機", "2", "読み込み待ち"),
         ("ｷｰ入力", "VK_RETURN", "決定"),
         ("右ﾄﾞﾗｯｸﾞ", "{x},{y}", "範囲選択の開始"),
         ("ﾏｳｽｶｰｿﾙ移動", "{x2},{y2}", "範囲選択の終了"),
         ("右ｸﾘｯｸ", "{x2},{y2}", ""),
         ("ｷｰ入力_改", "^VK_C", "コピー"),
         ("ｳｨﾝﾄﾞｳ存在ﾁｪｯｸ", "完了,#32770", "完了ダイアログを待つ"),
         ("ﾊﾟｽﾜｰﾄﾞ入力", "secret", "ログイン用 (login password)")]
for n in range(1, 301):
    a, c, m = cycle[(n - 1) % len(cycle)]
    v = dict(x=100 + n * 7 % 900, y=80 + n * 13 % 600, x2=200 + n * 5 % 800, y2=150 + n * 11 % 500, n=n)
    lines.append('"%s","%s","%s"' % (a, c.format(**v), m.format(**v)))
open(path, "wb").write(("\r\n".join(lines) + "\r\n").encode("cp932"))
PY
}

shoot() {  # name widthTwips heightTwips
    mkdir -p "$work/$1"
    make_doc "$work/$1/sample.TVK" "$2" "$3"
    local wpx=$(( $2 / 15 + 300 / 15 + 20 )) hpx=$(( $3 / 15 + 300 / 15 + 20 ))
    (cd "$work/$1" && "$WINE" explorer "/desktop=tvk,${wpx}x${hpx}" \
        "$(winepath_of "$build/TOVIRAK.exe")" /NOMSG "$(winepath_of "$work/$1/sample.TVK")" >/dev/null 2>&1 &)
    sleep 8
    import -window root -crop "${wpx}x${hpx}+0+0" +repage "$out/screenshot-$1.png"
    "$WINESERVER" -k 2>/dev/null || true
    sleep 1
    echo "wrote docs/screenshot-$1.png (${wpx}x${hpx})"
}

shoot small 7200 6600
shoot large 12000 11000
