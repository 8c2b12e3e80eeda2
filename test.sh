#!/usr/bin/env bash
# Sets up, builds and runs every test. "--sanitize" builds and runs them with ASan/UBSan in build-asan/.
set -euo pipefail
cd "$(dirname "$0")"
if [ "${1:-}" = "--sanitize" ]; then
  scripts/setup.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DOSTRIN_SANITIZE=ON -DOSTRIN_BENCH=OFF
  export ASAN_OPTIONS=detect_leaks=0
  export UBSAN_OPTIONS=print_stacktrace=1
  # The checks under a window manager start whole programs and X servers: plain build only.
  ctest --test-dir build-asan --output-on-failure -j"$(nproc)" -LE 'fuzz|xsession'
else
  scripts/setup.sh build
  ctest --test-dir build --output-on-failure -j"$(nproc)"
fi
