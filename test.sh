#!/usr/bin/env bash
# Sets up the machine, builds everything and runs every test: the full suite in
# build/, then the thread- and address-sanitizer subsets in their own small builds.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
./setup.sh

jobs=${HALCYRA_JOBS:-2}
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"
cmake --build build --target package >/dev/null  # the release archive

for san in thread address; do
  dir="build-$san"
  label=$([ "$san" = thread ] && echo tsan || echo asan)
  cmake -S . -B "$dir" -DHALCYRA_SANITIZER="$san" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$dir" -j"$jobs" --target sanitized-tests
  TSAN_OPTIONS="halt_on_error=1" ASAN_OPTIONS="detect_leaks=1" \
    ctest --test-dir "$dir" -L "$label" --output-on-failure -j"$jobs"
done
echo "test.sh: all tests passed"
