#!/usr/bin/env bash
# soak.sh [RACES] [SEED] [FRAME_CAP]: quick races back to back in one process on
# the null back-ends (every demo island in turn, a new random seed each race,
# the player's buggy driven by the stand-in through the player's keys), built
# with LeakSanitizer. Prints the resident memory every 100 races; fails on a
# race that does not load or run, on any later report more than 5 % above
# the first, and on any leak LeakSanitizer reports at the end.
# A race runs until the stand-in finishes or FRAME_CAP frames of 50 ms
# (default 3000, two and a half minutes of the game), then it is carried
# over its line so the results page still closes the race.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
races=${1:-1000}
seed=${2:-$(date +%s)}
cap=${3:-3000}
build=${QV7_SOAK_BUILD:-$root/build-lsan}
"$root/scripts/setup.sh"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQV7_BUILD_TESTS=OFF \
    -DQV7_BUILD_BENCH=OFF -DCMAKE_CXX_FLAGS="-fsanitize=leak -fno-omit-frame-pointer" \
    -DCMAKE_C_FLAGS="-fsanitize=leak" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=leak" >/dev/null
fi
cmake --build "$build" --target qv7-soak -j "$(nproc)"
echo "soak: $races races from seed $seed, at most $cap frames each"
LSAN_OPTIONS=${LSAN_OPTIONS:-exitcode=23} "$build/bin/qv7-soak" "$races" "$seed" "$cap"
