#!/usr/bin/env bash
# Installs what is missing, builds, and starts the app against the bundled service.
# Without a display the app runs headless for a few seconds and leaves screenshots in build/run-output/.
source "$(dirname "$0")/lib/common.sh"

ensure_packages "${build_packages[@]}"
ensure_node
build_app

app="$build_dir/VODU.app/Contents/MacOS/vodu-status"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec "$app" "$@"
fi

ensure_packages xvfb xauth imagemagick
out="$build_dir/run-output"
rm -rf "$out"
mkdir -p "$out"
seconds="${VODU_HEADLESS_SECONDS:-8}"
echo "No display found: running VODU headless for ${seconds}s under Xvfb; screenshots go to $out"
export VODU_AUTOMATION_DIR="$out"
xvfb-run -a -s "-screen 0 1280x900x24" bash -c '
    "$1" "${@:4}" &
    pid=$!
    sleep 2
    import -window root "$2/screen-start.png" 2>/dev/null || true
    sleep "$(( $3 > 2 ? $3 - 2 : 1 ))"
    import -window root "$2/screen.png" 2>/dev/null || true
    kill "$pid" 2>/dev/null
    # The app asks its service to quit and leaves within a few seconds; past that, say so and stop it.
    for _ in $(seq 50); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.2
    done
    if kill -0 "$pid" 2>/dev/null; then
        echo "VODU did not exit within 10 s of SIGTERM; stopping it" >&2
        kill -KILL "$pid" 2>/dev/null
    fi
    wait "$pid" 2>/dev/null || true
' run "$app" "$out" "$seconds" "$@"
ls -1 "$out"
