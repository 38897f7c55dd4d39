#!/usr/bin/env bash
# Draws the embedded icons into source/images/ (run again after changing tools/make_icons.cpp).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ensure_packages g++ pkg-config qt6-base-dev fonts-dejavu-core
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# shellcheck disable=SC2046
g++ -std=c++17 -O1 -fPIC -o "$work/make_icons" "$ROOT_DIR/tools/make_icons.cpp" $(pkg-config --cflags --libs Qt6Gui)
mkdir -p "$ROOT_DIR/source/images"
QT_QPA_PLATFORM=offscreen "$work/make_icons" "$ROOT_DIR/source/images"
ls "$ROOT_DIR/source/images" | wc -l
