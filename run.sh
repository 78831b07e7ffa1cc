#!/usr/bin/env bash
# Builds the game, writes the demo data beside it and starts it.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
scripts/build.sh build
build/bin/qv7-mkdemo build/bin/Data
exec build/bin/qv7 "$@"
