# Sourced by the other scripts: installs the Debian packages velto needs that
# are missing, with apt-get as root or through sudo. Safe to run again.

VELTO_BUILD_PACKAGES="cmake ninja-build g++ pkg-config qt6-base-dev libdbus-1-dev libgl-dev libssl-dev fonts-dejavu-core"
VELTO_TEST_PACKAGES="libgtest-dev libgmock-dev libbenchmark-dev dbus xvfb xauth clang libclang-rt-14-dev"
# A real tray host for the end-to-end run; that run is skipped without them.
VELTO_TRAY_HOST_PACKAGES="xfce4-panel xdotool x11-utils"

velto_install_packages() {
    local missing=()
    local package
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0

    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        if ! command -v sudo >/dev/null; then
            echo "velto: these packages are missing and there is no sudo to install them: ${missing[*]}" >&2
            return 1
        fi
        sudo=(sudo)
    fi
    echo "velto: installing ${missing[*]}" >&2
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q &&
        "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}

velto_jobs() {
    nproc 2>/dev/null || echo 2
}

# Configures and builds the Release app bundle in build/.
velto_build_release() {
    cmake -S "$VELTO_ROOT" -B "$VELTO_ROOT/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DVELTO_BUILD_TESTS=OFF -DVELTO_BUILD_BENCHMARKS=OFF >/dev/null &&
        cmake --build "$VELTO_ROOT/build" --target package -j "$(velto_jobs)"
}
