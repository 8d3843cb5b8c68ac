#!/usr/bin/env bash
# Renders the checked-in PNG icons from the two drawings in packaging/icons/:
#   com.zuzi.vodu.cli.svg           the app icon   -> packaging/icons/png/com.zuzi.vodu.cli-<size>.png
#   com.zuzi.vodu.cli-symbolic.svg  the tray glyph -> packaging/icons/png/VODUMenuTemplate.png (18 px at 2x)
# Run it after changing a drawing and commit the PNGs; builds never render (the same drawing always gives the
# same bytes with the same rsvg-convert, so an unchanged drawing shows no diff).
source "$(dirname "$0")/lib/common.sh"

ensure_packages librsvg2-bin

icons="$repo_root/packaging/icons"
mkdir -p "$icons/png"
for size in 16 22 24 32 48 64 128 256 512; do
    rsvg-convert --width "$size" --height "$size" --output "$icons/png/com.zuzi.vodu.cli-$size.png" \
        "$icons/com.zuzi.vodu.cli.svg"
done
rsvg-convert --width 36 --height 36 --output "$icons/png/VODUMenuTemplate.png" "$icons/com.zuzi.vodu.cli-symbolic.svg"
ls -1 "$icons/png"
