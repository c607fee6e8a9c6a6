# Installs what the build and tests need from Debian's packages, only when
# something is missing. Source it and call ensure_deps [native|win|all].
_deps_missing() {
    local pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || printf '%s ' "$pkg"
    done
}

ensure_deps() {
    local want=(cmake make g++ libgtest-dev googletest libbenchmark-dev libstb-dev)
    case "${1:-all}" in
        native) ;;
        win) want+=(g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 wine wine64 xvfb xdotool x11-utils x11-xkb-utils locales fonts-horai-umefont fonts-noto-cjk imagemagick) ;;
        all) want+=(g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 wine wine64 xvfb xdotool x11-utils x11-xkb-utils locales fonts-horai-umefont fonts-noto-cjk imagemagick clang libclang-rt-14-dev) ;;
    esac
    local missing
    missing=$(_deps_missing "${want[@]}")
    [ -z "$missing" ] && return 0
    echo "deps: installing $missing" >&2
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    # shellcheck disable=SC2086
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq $missing >/dev/null
}
