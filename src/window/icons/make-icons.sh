#!/usr/bin/env bash
# Redraws icons/*.png and app.ico from make-icons.cpp. Needs qtbase5-dev.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# shellcheck disable=SC2046  # pkg-config prints several words on purpose
g++ -std=c++17 -O1 -fPIC -Wall -Wextra "$here/make-icons.cpp" -o "$work/make-icons" $(pkg-config --cflags --libs Qt5Gui)
"$work/make-icons" "$here" "$here/../app.ico"
