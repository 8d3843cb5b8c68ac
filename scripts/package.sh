#!/usr/bin/env bash
# Builds the Debian package: installs what is missing, makes a Release build that installs under /usr with the
# bundle's runtime linked to Debian's /usr/bin/node, and leaves vodu-desktop_<version>_<arch>.deb in
# build-package/ (VODU_PACKAGE_DIR). Install it with `sudo apt-get install ./build-package/vodu-desktop_*.deb`.
source "$(dirname "$0")/lib/common.sh"

# dpkg-shlibdeps (dpkg-dev) and file find the libraries the app links, for the package's dependencies.
ensure_packages "${build_packages[@]}" dpkg-dev file
ensure_node

package_dir="${VODU_PACKAGE_DIR:-$repo_root/build-package}"
cmake -S "$repo_root" -B "$package_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVODU_BUILD_TESTS=OFF \
    -DCMAKE_INSTALL_PREFIX=/usr -DVODU_INSTALL_NODE=/usr/bin/node "$@"
cmake --build "$package_dir" --parallel "$(nproc)"
rm -f "$package_dir"/vodu-desktop_*.deb
(cd "$package_dir" && cpack -G DEB)

deb=$(ls "$package_dir"/vodu-desktop_*.deb)
dpkg-deb --info "$deb"
echo "Package: $deb"
