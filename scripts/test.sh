#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the reference host's suites, then the app's suites.
source "$(dirname "$0")/lib/common.sh"

ensure_packages "${build_packages[@]}" "${test_packages[@]}"
ensure_node
build_app

if [ -d "$repo_root/companion/test" ]; then
    echo "== Reference host tests =="
    (cd "$repo_root" && node --test companion/test/)
fi

echo "== App tests =="
cd "$build_dir"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 300 "$@"
