#!/usr/bin/env bash
# Sets up what is missing, builds, and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
./setup.sh -DLUMTAR_BUILD_TESTS=ON -DLUMTAR_BUILD_BENCH=ON
export QT_QPA_PLATFORM=offscreen
JOBS=$(nproc 2>/dev/null || echo 2)
ctest --test-dir build --output-on-failure -j "$JOBS" --timeout 600
# The engine alone, without Qt (astro, calendar, chart computation, analysis,
# places, cases): its own build folder, its own tests.
LUMTAR_BUILD_DIR=build-engine ./setup.sh -DLUMTAR_ENGINE_ONLY=ON -DLUMTAR_BUILD_TESTS=ON
ctest --test-dir build-engine --output-on-failure -j "$JOBS" --timeout 600
# The fuzz targets, built with clang and sanitizers and run a few seconds
# each, so that the fuzz build keeps compiling.
tests/fuzz/check_fuzz.sh build-fuzz
# The Debian package of this build: its files, validations and lintian.
packaging/check_package.sh build
