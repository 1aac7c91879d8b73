# Shared by the scripts: installing what is missing, building, a virtual display.
# Sourced, not run.

ARVEL_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Debian packages every build needs; scripts add their own.
ARVEL_BUILD_PACKAGES=(cmake zlib1g-dev ninja-build g++ pkg-config libsdl2-dev libgl-dev libgl1-mesa-dev
                      libgl1-mesa-dri libglx-mesa0 libassimp-dev nlohmann-json3-dev libtinygltf-dev
                      libstb-dev)

arvel_log() { printf '== %s\n' "$*" >&2; }

# Installs the named Debian packages that are not installed yet (apt-get, as root).
arvel_ensure_packages() {
    local missing=() pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    arvel_log "installing: ${missing[*]}"
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        command -v sudo >/dev/null || { echo "need root (or sudo) to install: ${missing[*]}" >&2; return 1; }
        sudo=(sudo)
    fi
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
}

# arvel_build DIR [cmake options...] -- [targets...]: configures once, then builds.
arvel_build() {
    local dir=$1; shift
    local options=() targets=()
    while [ $# -gt 0 ] && [ "$1" != "--" ]; do options+=("$1"); shift; done
    [ "${1:-}" = "--" ] && shift
    targets=("$@")
    if [ ! -f "$dir/build.ninja" ]; then
        cmake -S "$ARVEL_ROOT" -B "$dir" -G Ninja "${options[@]}" >/dev/null
    fi
    ninja -C "$dir" -j"$(nproc)" "${targets[@]}"
}

# Starts Xvfb on a free display (or on display ARVEL_XVFB_DISPLAY when set: a number
# set aside for one user of a shared machine), exports DISPLAY, and stops it when the
# shell exits.
arvel_start_xvfb() {
    local n=${ARVEL_XVFB_DISPLAY:-}
    if [ -z "$n" ]; then
        for n in $(seq 90 140); do
            [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
        done
    fi
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    ARVEL_XVFB_PID=$!
    trap 'kill "$ARVEL_XVFB_PID" 2>/dev/null; wait "$ARVEL_XVFB_PID" 2>/dev/null' EXIT
    local i
    for i in $(seq 1 100); do
        [ -e "/tmp/.X11-unix/X$n" ] && break
        sleep 0.1
    done
    export DISPLAY=":$n"
    arvel_log "Xvfb on $DISPLAY (pid $ARVEL_XVFB_PID)"
}
