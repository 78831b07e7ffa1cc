#!/usr/bin/env bash
# Builds and runs every test: once in the normal build, once under
# AddressSanitizer and UndefinedBehaviorSanitizer; then a short smoke pass of
# every fuzz target (clang, libFuzzer) over its seeds and kept regressions.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh

scripts/build.sh build
(cd build && ctest --output-on-failure -j "$(nproc)")

scripts/build.sh build-asan -DQV7_SANITIZE=ON -DQV7_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
(cd build-asan && UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j "$(nproc)")

scripts/fuzz.sh smoke
