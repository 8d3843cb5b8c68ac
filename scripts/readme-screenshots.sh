#!/usr/bin/env bash
# Regenerates the README's four screenshots, docs/screenshot-{en,ja}-{light,dark}.png: the Tasks page of each preview
# fixture in its language, in both appearances, made by scripts/screenshot.sh.
source "$(dirname "$0")/lib/common.sh"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# A private runtime folder: the app's single-instance socket lives there, so a VODU already running on this
# machine does not take over the screenshots' app.
export XDG_RUNTIME_DIR="$scratch/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

for language in en ja; do
    for appearance in light dark; do
        "$repo_root/scripts/screenshot.sh" "$repo_root/fixtures/preview-$language.json" \
            "$scratch/$language-$appearance" "$language" "$appearance" >/dev/null
        cp "$scratch/$language-$appearance/tasks.png" "$repo_root/docs/screenshot-$language-$appearance.png"
        echo "docs/screenshot-$language-$appearance.png"
    done
done
