#!/usr/bin/env bash
# Installs every Debian package Lumtar needs (only the missing ones), then
# configures and builds into build/ (or $LUMTAR_BUILD_DIR). Used by
# lumtar.sh, test.sh and package.sh.
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6svg6-dev libgl-dev
  libjpeg-dev libsimpleini-dev nlohmann-json3-dev libcli11-dev
  libgtest-dev googletest libbenchmark-dev
  fonts-noto-cjk qt6-translations-l10n
  xvfb xauth
  libswe-dev swe-standard-data
  desktop-file-utils appstream lintian
  libqpdf-dev poppler-utils
  tzdata libhowardhinnant-date-dev libicu-dev python3 python3-icu
  clang libclang-rt-dev
  libopencc-dev unicode-data
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

JOBS=$(nproc 2>/dev/null || echo 2)
BUILD=${LUMTAR_BUILD_DIR:-build}
cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$BUILD" -j "$JOBS"
