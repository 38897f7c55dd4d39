#!/usr/bin/env bash
# Installs what is missing, builds the editor and starts it.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ensure_packages "${BUILD_PACKAGES[@]}"
configure_and_build "$ROOT_DIR/build/release" -DCMAKE_BUILD_TYPE=Release -DLEVELEDITOR_BUILD_TESTS=OFF

exec "$ROOT_DIR/build/release/source/level-editor" "$@"
