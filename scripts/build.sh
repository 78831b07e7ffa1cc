#!/usr/bin/env bash
# build.sh DIR [cmake options...]: configures DIR once and builds it.
set -euo pipefail
dir=$1; shift
if [ ! -f "$dir/build.ninja" ]; then
  cmake -S "$(dirname "$0")/.." -B "$dir" -G Ninja "$@"
fi
cmake --build "$dir" -j "$(nproc)"
