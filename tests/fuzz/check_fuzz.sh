#!/usr/bin/env bash
# Builds the fuzz targets with clang (coverage, AddressSanitizer and
# UndefinedBehaviorSanitizer, as DEVELOPERS.md "Fuzzing" describes) in
# build-fuzz/ (or the folder given) and runs each for a few seconds
# ($LUMTAR_FUZZ_SECONDS, 5), so that the fuzz build keeps compiling and every
# target runs. Only the libraries the targets link are built. Run by test.sh.
set -euo pipefail
cd "$(dirname "$0")/../.."
BUILD=${1:-build-fuzz}
SECONDS_EACH=${LUMTAR_FUZZ_SECONDS:-5}
JOBS=$(nproc 2>/dev/null || echo 2)
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
CXX=clang++ cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMTAR_BUILD_FUZZ=ON \
  -DLUMTAR_BUILD_TESTS=OFF -DLUMTAR_BUILD_BENCH=OFF "${launcher[@]}" >/dev/null
cmake --build "$BUILD" -j "$JOBS" --target fuzz_all
corpus=$(mktemp -d)
trap 'rm -rf "$corpus"' EXIT
for source in tests/fuzz/fuzz_*.cpp; do
  name=$(basename "$source" .cpp)
  mkdir -p "$corpus/$name"
  echo "$name: ${SECONDS_EACH} s"
  # Without a crash, a leak or a hang the run ends with status 0.
  if ! QT_QPA_PLATFORM=offscreen "$BUILD/tests/fuzz/$name" -max_total_time="$SECONDS_EACH" \
       -artifact_prefix="$BUILD/tests/fuzz/$name-" "$corpus/$name" >"$corpus/$name.log" 2>&1; then
    tail -n 40 "$corpus/$name.log"
    echo "$name failed; the input that failed is beside it in $BUILD/tests/fuzz/"
    exit 1
  fi
  grep -E "^Done [0-9]+ runs" "$corpus/$name.log" || true
done
