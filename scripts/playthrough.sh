#!/usr/bin/env bash
# playthrough.sh [--short] [DIR]: the whole game played end to end on the
# offscreen OpenGL driver (every tutorial with lessons, the whole
# championship, then a restart and the pilot's saved state checked). The
# folder DIR keeps the run's data, logs and screenshots (default: a
# temporary folder, removed afterwards). --short plays the form CTest runs.
set -euo pipefail
cd "$(dirname "$0")/.."
form=--full
if [ "${1:-}" = "--short" ]; then form=; shift; fi
scripts/setup.sh
scripts/build.sh build
if [ -n "${1:-}" ]; then export QV7_PLAYTHROUGH_DIR="$1"; fi
exec build/tests/Playthrough $form
