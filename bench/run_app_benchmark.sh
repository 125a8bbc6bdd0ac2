#!/usr/bin/env bash
# Times Start Fit through the whole program (offscreen) against the same fit through the engine
# alone, on the 601-point example; the program may take at most 1.15 × the engine's time.
#
#   bash bench/run_app_benchmark.sh [repetitions]      (default 9; the median counts)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${VARNIX_BENCH_BUILD:-$root/build-bench}
bash "$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARNIX_BUILD_TESTS=OFF >/dev/null
ninja -C "$build" varnix-bench-app >/dev/null
QT_QPA_PLATFORM=offscreen "$build/bin/varnix-bench-app" "$root/examples" "${1:-9}"
