# Shared by run.sh and test.sh: dependency check and install from Debian's packages.
# shellcheck shell=bash

ROOT_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
JOBS="$(nproc 2>/dev/null || echo 4)"

BUILD_PACKAGES=(cmake make g++ pkg-config qt6-base-dev libgl-dev libchipmunk-dev libtinyxml-dev librapidxml-dev libmimalloc-dev fonts-dejavu-core)
TEST_PACKAGES=(clang libclang-rt-14-dev)

# ensure_packages PKG...: installs what is missing (as root), or prints the exact command and stops.
ensure_packages() {
  local missing=()
  local pkg
  for pkg in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$pkg")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing Debian packages. Install them with:" >&2
    echo "  sudo apt-get install -y ${missing[*]}" >&2
    exit 1
  fi
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# configure_and_build DIR [cmake args...]
configure_and_build() {
  local dir="$1"; shift
  cmake -S "$ROOT_DIR" -B "$dir" "$@" >/dev/null
  cmake --build "$dir" -j "$JOBS"
}
