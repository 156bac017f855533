#!/usr/bin/env bash
# quorbit's one entry point for a new machine.
#   ./build.sh run    install what is missing, build, start quorbit
#   ./build.sh test   install what is missing, build, run every test
# Safe to run again: packages already present are not touched, the build is incremental.
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(build-essential cmake pkg-config qt6-base-dev libjpeg-dev zlib1g-dev libzip-dev
          libgtest-dev libgmock-dev ffmpeg xvfb xauth xdotool fonts-dejavu-core
          fonts-liberation2)

install_missing() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
}

# build DIR [cmake options...]
build() {
  local dir=$1
  shift
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" \
    -DQUORBIT_WERROR="${QUORBIT_WERROR:-OFF}" "$@"
  cmake --build "$dir" -j "$(nproc)"
}

cmd=${1:-}
case "$cmd" in
  run)
    install_missing
    build build
    exec build/bin/quorbit
    ;;
  test)
    install_missing
    build build
    ctest --test-dir build --output-on-failure -j "$(nproc)"
    ;;
  *)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
