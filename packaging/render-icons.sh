#!/usr/bin/env bash
# Renders the menu icons, packaging/icons/<size>.png, from the application
# icon src/window/app.ico (256 x 256, drawn by src/window/icons/make-icons.sh). Run it again
# after redrawing app.ico. Needs imagemagick.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source="$here/../src/window/app.ico"
for size in 16 22 24 32 48 64 128 256; do
    # -strip keeps the files byte-identical from run to run (no dates inside).
    convert "$source" -filter Lanczos -resize "${size}x${size}" -strip \
        "PNG32:$here/icons/$size.png"
done
