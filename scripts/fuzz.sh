#!/usr/bin/env bash
# The libFuzzer targets of every data-file reader (see fuzz/README.md).
#   scripts/fuzz.sh smoke                 build, then a short fixed run of each target over its
#                                         fresh seeds and kept regressions (part of ./test.sh)
#   scripts/fuzz.sh run TARGET [SECONDS]  fuzz one target (default 600 s), corpus kept in build-fuzz/corpus/
#   scripts/fuzz.sh all SECONDS           every target for SECONDS each, three at a time
#   scripts/fuzz.sh list                  the target names
# Any crash, hang, leak or sanitizer report fails the command; its input is left
# in build-fuzz/findings/<target>/ (copy it to fuzz/regressions/<target>/ once fixed).
# QV7_FUZZ_BUILD (build folder), QV7_FUZZ_JOBS (build jobs) and QV7_FUZZ_PARALLEL
# (targets at a time) override the defaults.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QV7_FUZZ_BUILD:-$root/build-fuzz}
jobs=${QV7_FUZZ_JOBS:-$(nproc)}
parallel=${QV7_FUZZ_PARALLEL:-3}
# Runs of each target in the smoke pass: enough to take every seed through a
# few thousand mutations, small enough that the pass stays around a minute
# on eight cores.
smoke_runs=${QV7_FUZZ_SMOKE_RUNS:-20000}
# A target whose every run builds a whole 12 MB island (a million normals)
# runs about ten times a second under the sanitizers: fewer runs keep it
# within the same minute.
smoke_runs_of() {
  case "$1" in
    landscape_map) echo $((smoke_runs / 40 > 0 ? smoke_runs / 40 : 1)) ;;
    *) echo "$smoke_runs" ;;
  esac
}

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

build_targets() {
  if [ ! -f "$build/build.ninja" ]; then
    CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DQV7_BUILD_FUZZ=ON -DQV7_BUILD_TESTS=OFF \
      -DQV7_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  fi
  cmake --build "$build" --target qv7_fuzz -j "$jobs"
}

targets() {
  sed -n '/^set(QV7_FUZZ_TARGETS/,/)/p' "$root/fuzz/CMakeLists.txt" | sed 's/set(QV7_FUZZ_TARGETS//; s/)//' |
    tr ' ' '\n' | grep -v '^$'
}

# Seeds are written fresh by every invocation into its own folder, so that
# several runs side by side never see each other's half-written seeds.
seeds="$build/seeds/$$"
fresh_seeds() {
  rm -rf "$seeds"
  trap 'rm -rf "$seeds"' EXIT
  "$build/bin/qv7-fuzzseed" "$seeds"
}

# fuzz_one TARGET CORPUS_DIR LIBFUZZER_OPTIONS...: new inputs go to CORPUS_DIR;
# the seeds and the kept regressions are read as further corpora.
fuzz_one() {
  local target=$1 corpus=$2
  shift 2
  local findings="$build/findings/$target"
  mkdir -p "$corpus" "$findings"
  local dirs=("$corpus" "$seeds/$target")
  [ -d "$root/fuzz/regressions/$target" ] && dirs+=("$root/fuzz/regressions/$target")
  if "$build/bin/fuzz_$target" -artifact_prefix="$findings/" -timeout=25 -rss_limit_mb=2560 \
      -max_len=65536 -print_final_stats=1 "$@" "${dirs[@]}" >"$build/logs/$target.log" 2>&1; then
    echo "fuzz: $target: $(grep -o 'stat::number_of_executed_units: *[0-9]*' "$build/logs/$target.log" |
      grep -o '[0-9]*$') runs, no finding"
  else
    echo "fuzz: $target: FINDING (log $build/logs/$target.log, input in $findings/)"
    grep -m1 -E 'ERROR: |runtime error|SUMMARY' "$build/logs/$target.log" || true
    return 1
  fi
}

mode=${1:-smoke}
case "$mode" in
  list)
    targets
    ;;
  smoke)
    build_targets
    fresh_seeds
    mkdir -p "$build/logs"
    rm -rf "$build/smoke-corpus"
    # Each target's new inputs go to a throw-away folder so every smoke pass is alike.
    failed=0
    pids=()
    for target in $(targets); do
      fuzz_one "$target" "$build/smoke-corpus/$target" -runs="$(smoke_runs_of "$target")" -seed=1 &
      pids+=($!)
      while [ "$(jobs -rp | wc -l)" -ge "$(nproc)" ]; do sleep 0.2; done
    done
    for pid in "${pids[@]}"; do wait "$pid" || failed=1; done
    rm -rf "$build/smoke-corpus"
    exit $failed
    ;;
  run)
    target=${2:?usage: fuzz.sh run TARGET [SECONDS]}
    seconds=${3:-600}
    build_targets
    fresh_seeds
    mkdir -p "$build/logs"
    fuzz_one "$target" "$build/corpus/$target" -max_total_time="$seconds"
    ;;
  all)
    seconds=${2:?usage: fuzz.sh all SECONDS}
    build_targets
    fresh_seeds
    mkdir -p "$build/logs"
    failed=0
    pids=()
    for target in $(targets); do
      fuzz_one "$target" "$build/corpus/$target" -max_total_time="$seconds" &
      pids+=($!)
      while [ "$(jobs -rp | wc -l)" -ge "$parallel" ]; do sleep 1; done
    done
    for pid in "${pids[@]}"; do wait "$pid" || failed=1; done
    exit $failed
    ;;
  *)
    sed -n '2,11p' "$0"
    exit 2
    ;;
esac
