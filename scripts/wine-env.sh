# Wine environment for the Windows build's tests. Source it:
#   . scripts/wine-env.sh <build-win-dir>      (or set BUILD_WIN)
# then call wine_boot (creates the prefix once) and ensure_display (or
# desk_display for a private display whatever DISPLAY says).
#
# WINE_DESK chooses the system Wine plays:
#   ja (default)  Japanese Windows as the program's users have it: the
#                 locale ja_JP.UTF-8 (ANSI code page 932, Japanese system
#                 texts: Notepad's window is "(無題) - メモ帳") and the JP
#                 106/109 keyboard layout on a display of our own;
#   en            C.UTF-8 (English texts, "Untitled - Notepad") and the US
#                 layout.
# Each desk has its prefix inside the build folder (wineprefix-ja,
# wineprefix-en), so nothing touches $HOME and the two never mix.

_wine_build_dir="${1:-${BUILD_WIN:-}}"
if [ -z "$_wine_build_dir" ]; then
    echo "wine-env.sh: give the Windows build folder as \$1 or \$BUILD_WIN" >&2
    return 1 2>/dev/null || exit 1
fi
mkdir -p "$_wine_build_dir"
_wine_build_dir="$(cd "$_wine_build_dir" && pwd)"
export WINE_DESK="${WINE_DESK:-ja}"
case "$WINE_DESK" in
    ja) _wine_locale=ja_JP.UTF-8 _wine_layout=jp ;;
    en) _wine_locale=C.UTF-8 _wine_layout=us ;;
    *)
        echo "wine-env.sh: WINE_DESK is ja or en, not '$WINE_DESK'" >&2
        return 1 2>/dev/null || exit 1
        ;;
esac
export WINEPREFIX="$_wine_build_dir/wineprefix-$WINE_DESK"
export WINEDEBUG=-all
# Keep Wine from offering to install Mono and Gecko on first boot.
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

# Wine takes its language and ANSI code page from the locale. A missing
# Japanese locale is generated from Debian's locale sources (the "locales"
# package): into the system when we may write there, else into the build
# folder, where LOCPATH points the C library.
_wine_has_locale() {  # name as "ja_JP.utf8"
    locale -a 2>/dev/null | grep -qix "$1"
}
_wine_ensure_locale() {
    local name="$1" lang="${1%%.*}" dir="$_wine_build_dir/locale"
    case "$name" in C.*|POSIX) return 0 ;; esac
    _wine_has_locale "$lang.utf8" && return 0
    if [ ! -f "$dir/$name/LC_CTYPE" ]; then
        if [ ! -e "/usr/share/i18n/locales/$lang" ]; then
            echo "wine-env: the locale $name is missing and Debian's 'locales' package is not installed" >&2
            return 1
        fi
        echo "wine-env: generating the locale $name" >&2
        localedef -i "$lang" -f UTF-8 "$name" >/dev/null 2>&1
        _wine_has_locale "$lang.utf8" && return 0
        mkdir -p "$dir"
        localedef -i "$lang" -f UTF-8 "$dir/$name" >/dev/null 2>&1
        if [ ! -f "$dir/$name/LC_CTYPE" ]; then
            echo "wine-env: localedef could not make $name" >&2
            return 1
        fi
    fi
    export LOCPATH="$dir"
}
if ! _wine_ensure_locale "$_wine_locale"; then
    return 1 2>/dev/null || exit 1
fi
# (bash itself may not see LOCPATH and warns; its children do.)
export LC_ALL="$_wine_locale" 2>/dev/null
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

# The display Wine draws on. ensure_display keeps a display the user has
# (and only says which keyboard layout it found there); without one, or when
# it does not answer, it starts a private Xvfb with the desk's layout.
# desk_display always starts the private one, as the tests need. Both set
# WINE_XVFB_PID for stop_display when they started Xvfb.
ensure_display() {
    if [ -n "${DISPLAY:-}" ]; then
        # A stale DISPLAY (a closed session) would make every test fail.
        if ! command -v xdotool >/dev/null || xdotool getdisplaygeometry >/dev/null 2>&1; then
            local found
            found=$(setxkbmap -display "$DISPLAY" -query 2>/dev/null | sed -n 's/^layout: *//p')
            echo "wine-env: using DISPLAY=$DISPLAY as it is; keyboard layout ${found:-unknown}" \
                "(the $WINE_DESK desk expects $_wine_layout)" >&2
            return 0
        fi
        echo "wine-env: DISPLAY=$DISPLAY does not answer; using a private Xvfb" >&2
        unset DISPLAY
    fi
    _wine_start_xvfb
}

desk_display() {
    unset DISPLAY
    _wine_start_xvfb
}

_wine_start_xvfb() {
    local fdfile num i
    fdfile=$(mktemp)
    # -displayfd lets Xvfb choose a free display number itself, so parallel
    # runs of other builds do not collide.
    # -noreset: the server would drop the layout set below when its last
    # client (setxkbmap) leaves before the first Wine program connects.
    # -ardelay, -arinterval: a held key repeats as the prefix's keyboard
    # settings say (KeyboardDelay 1: 500 ms; KeyboardSpeed 31: about 30 a
    # second), as a PC's keyboard does, not at the X server's 660/40 ms.
    Xvfb -displayfd 3 -screen 0 "${WINE_XVFB_SIZE:-1280x1024}x24" -nolisten tcp -noreset -ardelay 500 -arinterval 33 \
        3>"$fdfile" >/dev/null 2>&1 &
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
    # Wine reads the layout from the display when a program starts.
    setxkbmap -display "$DISPLAY" -layout "$_wine_layout" 2>/dev/null
    if [ "$(setxkbmap -display "$DISPLAY" -query 2>/dev/null | sed -n 's/^layout: *//p')" != "$_wine_layout" ]; then
        echo "wine-env: setxkbmap could not set the $_wine_layout layout on $DISPLAY" >&2
        stop_display
        return 1
    fi
    echo "wine-env: started Xvfb on $DISPLAY (pid $WINE_XVFB_PID), $WINE_DESK desk: $LC_ALL, $_wine_layout layout" >&2
}

stop_display() {
    if [ -n "${WINE_XVFB_PID:-}" ]; then
        kill "$WINE_XVFB_PID" 2>/dev/null
        wait "$WINE_XVFB_PID" 2>/dev/null
        WINE_XVFB_PID=
    fi
}
