#!/usr/bin/env bash
# Renders VODU headless and leaves its screenshots and ui.json in OUT_DIR.
#
#   scripts/screenshot.sh FIXTURE OUT_DIR [en|ja] [light|dark]
#
# FIXTURE is a preview fixture file such as fixtures/preview-en.json (shown with --status-fixture, nothing reaches a
# service), or "host" for the bundled reference service with its demo scenario. The app runs under Xvfb with VODU_AUTOMATION_DIR=OUT_DIR; the
# script then clicks through the pages as a user would (xdotool) and keeps one picture of each:
#   sessions.png, tasks.png, settings-connection.png, settings-delivery.png, settings-app.png  (window only)
#   screen.png                                                                                 (whole screen)
#   ui.json                                                                                    (last state)
source "$(dirname "$0")/lib/common.sh"

if [ $# -lt 2 ]; then
    echo "usage: $0 FIXTURE|host OUT_DIR [en|ja] [light|dark]" >&2
    exit 2
fi
fixture=$1
out=$2
language=${3:-en}
appearance=${4:-light}
case "$language" in en | ja) ;; *) echo "language must be en or ja" >&2; exit 2 ;; esac
case "$appearance" in light | dark) ;; *) echo "appearance must be light or dark" >&2; exit 2 ;; esac

ensure_packages "${build_packages[@]}" xvfb xauth xdotool imagemagick
ensure_node
if [ ! -f "$build_dir/build.ninja" ]; then
    cmake -S "$repo_root" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE="${VODU_BUILD_TYPE:-RelWithDebInfo}"
fi
cmake --build "$build_dir" --target vodu-status

mkdir -p "$out"
out=$(realpath "$out")
app_args=()
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# A runtime folder of its own: an app already running for this user (the developer's own, or another screenshot
# run) would otherwise take the start as a request to show its window.
mkdir -m 0700 "$scratch/runtime"
export XDG_RUNTIME_DIR="$scratch/runtime"
if [ "$fixture" != host ]; then
    # A fixture may preset its own appearance; the one asked for here wins, in a copy of the fixture.
    node -e '
        const fs = require("fs");
        const [source, target, appearance] = process.argv.slice(1);
        const fixture = JSON.parse(fs.readFileSync(source, "utf8"));
        fixture.appearance = appearance;
        fs.writeFileSync(target, JSON.stringify(fixture));
    ' "$fixture" "$scratch/fixture.json" "$appearance"
    app_args=(--status-fixture "$scratch/fixture.json")
fi
rm -f "$out"/ui.json "$out"/window.png "$out"/panel.png

if [ "$language" = ja ]; then
    export LANGUAGE=ja LANG=ja_JP.UTF-8
else
    export LANGUAGE=en LANG=en_US.UTF-8
fi
export VODU_AUTOMATION_DIR="$out" VODU_APPEARANCE="$appearance"
# Screenshots show the demo scenario, never the conversations of the machine they are made on.
export VODU_HOST_DISCOVERY=off

xvfb-run -a -s "-screen 0 1280x900x24" bash -s -- "$build_dir/VODU.app/Contents/MacOS/vodu-status" "$out" \
    "${app_args[@]}" <<'SCRIPT'
set -euo pipefail
app=$1
out=$2
shift 2
"$app" "$@" &
pid=$!
trap 'kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true' EXIT

# Waits until ui.json satisfies a JavaScript condition over `ui` (the parsed file), then for the files to settle.
wait_for() {
    node -e '
        const fs = require("fs");
        const [file, condition] = process.argv.slice(1);
        const test = new Function("ui", "return (" + condition + ");");
        const deadline = Date.now() + 20000;
        (function poll() {
            try {
                if (test(JSON.parse(fs.readFileSync(file, "utf8")))) return setTimeout(() => process.exit(0), 1200);
            } catch (error) {}
            if (Date.now() > deadline) { console.error("timed out waiting for: " + condition); process.exit(1); }
            setTimeout(poll, 100);
        })();
    ' "$out/ui.json" "$1"
}

# Clicks the middle of a named view.
click() {
    local point
    point=$(node -e '
        const view = JSON.parse(require("fs").readFileSync(process.argv[1], "utf8"))[process.argv[2]];
        console.log(Math.round(view.x + view.width / 2) + " " + Math.round(view.y + view.height / 2));
    ' "$out/ui.json" "$1")
    # shellcheck disable=SC2086
    xdotool mousemove $point click 1
}

wait_for 'ui.connectionSummary && !/…$/.test(ui.connectionSummary.text)'
cp "$out/window.png" "$out/sessions.png"
import -window root "$out/screen.png"

click tasksNav
wait_for 'ui.tasksNav.checked && ui.taskDetailHeading.onScreen'
cp "$out/window.png" "$out/tasks.png"

click connectionSummary
wait_for 'ui.statusPanel && ui.statusPanel.onScreen'
cp "$out/panel.png" "$out/settings-connection.png"
for tab in 1 2; do
    node -e '
        const ui = JSON.parse(require("fs").readFileSync(process.argv[1], "utf8"));
        const nav = ui.settingsNavigation, count = nav.items.length, index = Number(process.argv[2]);
        console.log(Math.round(nav.x + nav.width * (index + 0.5) / count) + " " + Math.round(nav.y + nav.height / 2));
    ' "$out/ui.json" "$tab" | { read -r x y; xdotool mousemove "$x" "$y" click 1; }
    wait_for "ui.settingsTabs.selectedIndex === $tab"
    name=$([ "$tab" = 1 ] && echo delivery || echo app)
    cp "$out/panel.png" "$out/settings-$name.png"
done
xdotool key Escape
wait_for '!ui.statusPanel.onScreen'
SCRIPT
ls -1 "$out"
