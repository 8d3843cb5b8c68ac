# Shared by run.sh and test.sh: installs what is missing and keeps one incremental build in build/.
set -euo pipefail

repo_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build_dir="${VODU_BUILD_DIR:-$repo_root/build}"

as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    else
        sudo "$@"
    fi
}

# Installs the Debian packages that are not installed yet; the package lists are refreshed only when needed.
ensure_packages() {
    local missing=()
    local package
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$package")
        fi
    done
    [ "${#missing[@]}" -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    if ! as_root apt-get install -y --no-install-recommends "${missing[@]}"; then
        as_root apt-get update
        as_root apt-get install -y --no-install-recommends "${missing[@]}"
    fi
}

build_packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev
                fonts-noto-cjk qt6-translations-l10n)
# The install test validates the installed .desktop entry and AppStream metadata with these; the notification test
# runs a private session bus, and the display-loss test an X server to lose.
test_packages=(desktop-file-utils appstream dbus-daemon xvfb)

ensure_node() {
    if ! command -v node >/dev/null 2>&1; then
        ensure_packages nodejs
    fi
}

# Configures once, then builds incrementally.
build_app() {
    local build_type="${VODU_BUILD_TYPE:-RelWithDebInfo}"
    if [ ! -f "$build_dir/build.ninja" ]; then
        cmake -S "$repo_root" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE="$build_type" "$@"
    fi
    cmake --build "$build_dir" --parallel "$(nproc)"
}
