#!/usr/bin/env bash
# Builds the fuzz targets on their own with clang (build-fuzz/, without Qt or the program) and
# runs each for a while, two at a time, seeded with the test files. Fails when a target finds a
# crash, a sanitizer report, a leak, a broken promise (an abort), an input that takes over 10 s
# or memory over 2 GB; the input that did it is kept in build-fuzz/artifacts/.
# Usage: bash tests/fuzz/run.sh [seconds per target, default 30]
set -euo pipefail
cd "$(dirname "$0")/../.."
export build=build-fuzz
export seconds="${1:-30}"

cmake -S tests/fuzz -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++
cmake --build "$build"

# Each target, then the folders of files it reads; they are only read. What a target finds
# goes to its own working corpus in build-fuzz/corpus/.
data=tests/data
targets=(
  "spectrum $data/dat $data/vamas $data/specs_xy $data/scienta $data/casa $data/columns $data/real examples"
  "vamas $data/vamas $data/real"
  "specs_xy $data/specs_xy $data/real"
  "scienta $data/scienta $data/real"
  "casa_text $data/casa"
  "columns $data/columns $data/real examples"
  "varnix_dat $data/dat examples"
  "configuration $data/cfg examples"
  "settings $data/settings examples"
  "fit_controls $data/settings examples"
)

fuzz() {
    local name=$1
    shift
    local corpus="$build/corpus/$name" log="$build/fuzz_$name.log"
    mkdir -p "$corpus" "$build/artifacts"
    if "$build/bin/fuzz_$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$build/artifacts/$name-" "$corpus" "$@" \
        >"$log" 2>&1; then
        local runs
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        echo "fuzz_$name: ${runs:-?} inputs in ${seconds} s, no fault"
    else
        echo "fuzz_$name FAILED; the end of $log:"
        tail -n 60 "$log"
        return 1
    fi
}
export -f fuzz

printf '%s\n' "${targets[@]}" | xargs -P 2 -L 1 bash -c 'fuzz "$@"' fuzz
