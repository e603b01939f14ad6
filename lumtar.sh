#!/usr/bin/env bash
# Sets up what is missing, builds, and starts Lumtar.
set -euo pipefail
cd "$(dirname "$0")"
./setup.sh -DLUMTAR_BUILD_TESTS=OFF -DLUMTAR_BUILD_BENCH=OFF
exec ./build/Lumtar/Lumtar "$@"
