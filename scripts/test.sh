#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the reference host's suites, then the app's suites.
# --sanitize: builds the app and its tests with AddressSanitizer and UndefinedBehaviorSanitizer in
# build-sanitize/ (kept between runs) and runs the app's suites there; any finding fails the run.
# Further arguments go to CTest.
sanitize=0
if [ "${1:-}" = "--sanitize" ]; then
    sanitize=1
    shift
fi
if [ "$sanitize" -eq 1 ]; then
    export VODU_BUILD_DIR="${VODU_SANITIZE_BUILD_DIR:-$(cd "$(dirname "$0")/.." && pwd)/build-sanitize}"
fi
source "$(dirname "$0")/lib/common.sh"

ensure_packages "${build_packages[@]}" "${test_packages[@]}"
ensure_node

if [ "$sanitize" -eq 1 ]; then
    VODU_BUILD_TYPE=Debug build_app -DVODU_SANITIZE=ON
    # Every process the tests start (the app, its launcher) inherits these.
    export ASAN_OPTIONS="detect_leaks=1"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
    echo "== App tests (AddressSanitizer, UndefinedBehaviorSanitizer) =="
    cd "$build_dir"
    # Sanitized code runs a few times slower; the suites keep their own timeouts, CTest gets more room.
    QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 900 "$@"
    exit
fi

build_app

if [ -d "$repo_root/companion/test" ]; then
    echo "== Reference host tests =="
    (cd "$repo_root" && node --test companion/test/)
fi

echo "== App tests =="
cd "$build_dir"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 300 "$@"
