# Wine environment for the Windows build's tests. Source it:
#   . scripts/wine-env.sh <build-win-dir>      (or set BUILD_WIN)
# then call wine_boot (creates the prefix once) and ensure_display.
# The prefix lives inside the build folder so nothing touches $HOME.

_wine_build_dir="${1:-${BUILD_WIN:-}}"
if [ -z "$_wine_build_dir" ]; then
    echo "wine-env.sh: give the Windows build folder as \$1 or \$BUILD_WIN" >&2
    return 1 2>/dev/null || exit 1
fi
mkdir -p "$_wine_build_dir"
export WINEPREFIX="$(cd "$_wine_build_dir" && pwd)/wineprefix"
export WINEDEBUG=-all
# Keep Wine from offering to install Mono and Gecko on first boot.
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
# Wine takes its language and code page from the locale. One fixed locale
# keeps Notepad's title ("Untitled - Notepad", which the samples wait for),
# the system's own texts and file names (UTF-8) the same on every machine.
export LC_ALL=C.UTF-8
# The "wine" launcher picks the 64-bit loader for 64-bit programs.
WINE="${WINE:-wine}"
WINESERVER="${WINESERVER:-wineserver}"

# The Japanese faces the program and Windows' own dialogs ask for, mapped to
# host fonts that hold both Japanese and Latin letters and are made to the
# Windows faces' measures: a character cell one em high with every glyph,
# the underscore too, inside it. The boxes of the layout were made for such
# cells. The fixed-pitch names go to Ume Gothic / Mincho, the proportional
# ones (and the dialog font, so title bars and message boxes stay
# proportional) to Ume P Gothic / P Mincho. (IPA and BIZ UD faces lose the
# underscore at these sizes: too thin, or below the cell.) Without the Ume
# fonts everything goes to the CJK font there is.
_wine_family() {  # wanted fontconfig family, else the fallback
    if fc-list : family 2>/dev/null | tr ',' '\n' | grep -qx "$1"; then
        printf '%s' "$1"
        return
    fi
    local fam
    fam=$(fc-list :lang=ja family 2>/dev/null | tr ',' '\n' | grep -x 'Noto Sans CJK JP' | head -n1)
    [ -n "$fam" ] || fam=$(fc-list :lang=ja family 2>/dev/null | head -n1 | cut -d, -f1)
    printf '%s' "${fam:-Noto Sans CJK JP}"
}

_wine_font_map() {  # lines "Windows face<TAB>host family"
    local gothic pgothic mincho pmincho n
    gothic=$(_wine_family "Ume Gothic")
    pgothic=$(_wine_family "Ume P Gothic")
    mincho=$(_wine_family "Ume Mincho")
    pmincho=$(_wine_family "Ume P Mincho")
    for n in "ＭＳ ゴシック" "MS Gothic"; do printf '%s\t%s\n' "$n" "$gothic"; done
    for n in "ＭＳ Ｐゴシック" "MS PGothic" "MS UI Gothic" "MS Shell Dlg" "MS Shell Dlg 2"; do printf '%s\t%s\n' "$n" "$pgothic"; done
    for n in "ＭＳ 明朝" "MS Mincho"; do printf '%s\t%s\n' "$n" "$mincho"; done
    for n in "ＭＳ Ｐ明朝" "MS PMincho"; do printf '%s\t%s\n' "$n" "$pmincho"; done
}

_wine_settings_reg() {
    local map
    map=$(_wine_font_map)
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
    printf '%s\n' "$map" | while IFS=$'\t' read -r n fam; do printf '"%s"="%s"\r\n' "$n" "$fam"; done
    printf '\r\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes]\r\n'
    printf '%s\n' "$map" | while IFS=$'\t' read -r n fam; do printf '"%s"="%s"\r\n' "$n" "$fam"; done
    # No crash debugger: a crashing test program ends at once instead of
    # leaving winedbg behind, holding the output pipe open.
    printf '\r\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug]\r\n'
    printf '"Debugger"=-\r\n'
    # There is no window manager on Xvfb: unmanaged windows keep Wine from
    # waiting for one (two seconds per closed window) and let maximise work.
    printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n'
    printf '"Managed"="N"\r\n'
}

# Create the prefix once (about ten seconds) and install our settings. The
# settings depend on the fonts installed, so they are installed again
# whenever they come out different from the ones the prefix has.
wine_boot() {
    local reg="$WINEPREFIX/tovirak-settings.reg" marker="$WINEPREFIX/.tovirak-settings"
    local settings
    settings=$(_wine_settings_reg)
    if [ -f "$marker" ] && [ "$(cat "$marker")" = "$settings" ]; then
        return 0
    fi
    mkdir -p "$WINEPREFIX"
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "wine-env: creating Wine prefix $WINEPREFIX" >&2
        "$WINE" wineboot -i >/dev/null 2>&1
        "$WINESERVER" -w
    fi
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "wine-env: wineboot failed to create $WINEPREFIX" >&2
        return 1
    fi
    # regedit reads UTF-16 files with a byte-order mark; the names are Japanese.
    { printf '\xff\xfe'; printf '%s\n' "$settings" | iconv -f UTF-8 -t UTF-16LE; } >"$reg"
    "$WINE" regedit /S "$(winepath_of "$reg")" >/dev/null 2>&1
    "$WINESERVER" -w
    printf '%s' "$settings" >"$marker"
}

# Z: maps the Unix root in every Wine prefix.
winepath_of() {
    local p
    p=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
    printf 'Z:%s' "${p//\//\\}"
}

# Start a private Xvfb when there is no display, and say so. Sets
# WINE_XVFB_PID so the caller can stop it with stop_display.
ensure_display() {
    if [ -n "${DISPLAY:-}" ]; then
        # A stale DISPLAY (a closed session) would make every test fail.
        if ! command -v xdotool >/dev/null || xdotool getdisplaygeometry >/dev/null 2>&1; then
            return 0
        fi
        echo "wine-env: DISPLAY=$DISPLAY does not answer; using a private Xvfb" >&2
        unset DISPLAY
    fi
    local fdfile num i
    fdfile=$(mktemp)
    # -displayfd lets Xvfb choose a free display number itself, so parallel
    # runs of other builds do not collide.
    Xvfb -displayfd 3 -screen 0 "${WINE_XVFB_SIZE:-1280x1024}x24" -nolisten tcp 3>"$fdfile" >/dev/null 2>&1 &
    WINE_XVFB_PID=$!
    for i in $(seq 1 100); do
        num=$(head -n1 "$fdfile" 2>/dev/null)
        [ -n "$num" ] && break
        sleep 0.1
    done
    rm -f "$fdfile"
    if [ -z "$num" ] || ! kill -0 "$WINE_XVFB_PID" 2>/dev/null; then
        echo "wine-env: could not start Xvfb" >&2
        WINE_XVFB_PID=
        return 1
    fi
    export DISPLAY=":$num"
    echo "wine-env: no DISPLAY; started Xvfb on $DISPLAY (pid $WINE_XVFB_PID)" >&2
}

stop_display() {
    if [ -n "${WINE_XVFB_PID:-}" ]; then
        kill "$WINE_XVFB_PID" 2>/dev/null
        wait "$WINE_XVFB_PID" 2>/dev/null
        WINE_XVFB_PID=
    fi
}
