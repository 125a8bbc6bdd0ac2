#!/usr/bin/env bash
# Measures the fit engine against lmfit on the synthetic spectrum at 601 and 4001 points and
# prints the figures side by side with the engine's targets, every final chi-square judged
# with converged integrals.
#
#   bash bench/run_benchmarks.sh             from a clean checkout; installs what is missing
#
# Per size: the engine with the default controls (one thread and all cores), lmfit's fit of
# the same counts (lmfit_fit.py), then the engine's whole fit on all cores for every
# combination of the swept Simpson EPS and RMIN values.
#
# Environment: VARNIX_BENCH_BUILD (build folder, default build-bench), VARNIX_BENCH_SIZES
# (default "601 4001"), VARNIX_BENCH_REPEAT (repetitions of the short timings, default 5),
# VARNIX_BENCH_FIT_REPEAT (repetitions of each whole fit, lmfit's too, default 5),
# VARNIX_BENCH_SWEEP_EPS (default "1e-3 1e-4 1e-5 1e-6 1e-8"), VARNIX_BENCH_SWEEP_RMIN
# (default "1e-3 1e-4 1e-5 1e-6"), VARNIX_BENCH_SWEEP_REPEAT (repetitions of each swept fit,
# default 3), PYTHON (default /usr/bin/python3, the interpreter Debian's python3-lmfit
# belongs to). Every time is the median of its repetitions.
# The log with every machine-readable line is left in <build>/bench-results/run.log, the table
# in Markdown (as docs/performance.md shows it) in <build>/bench-results/table.md.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${VARNIX_BENCH_BUILD:-$root/build-bench}
sizes=${VARNIX_BENCH_SIZES:-601 4001}
repeat=${VARNIX_BENCH_REPEAT:-5}
fit_repeat=${VARNIX_BENCH_FIT_REPEAT:-5}
sweep_eps=${VARNIX_BENCH_SWEEP_EPS:-1e-3 1e-4 1e-5 1e-6 1e-8}
sweep_rmin=${VARNIX_BENCH_SWEEP_RMIN:-1e-3 1e-4 1e-5 1e-6}
sweep_repeat=${VARNIX_BENCH_SWEEP_REPEAT:-3}
python=${PYTHON:-/usr/bin/python3}

# The build tools and lmfit with numpy and scipy; the script does nothing when all is there.
bash "$root/scripts/install-deps.sh" --bench
"$python" -c 'import lmfit, numpy, scipy' || {
    echo "run_benchmarks.sh: $python cannot import lmfit, numpy and scipy; set PYTHON" >&2
    exit 1
}

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARNIX_BUILD_TESTS=OFF \
    >/dev/null
ninja -C "$build" varnix-bench zorvant >/dev/null
bench="$build/bin/varnix-bench"
library="$build/bin/libzorvant.so"

results="$build/bench-results"
mkdir -p "$results"
log="$results/run.log"
{
    echo "MACHINE $(lscpu | sed -n 's/^Model name: *//p' | head -1), $(nproc) cores"
    echo "DATE $(date -u '+%Y-%m-%d %H:%M UTC'), commit $(git -C "$root" rev-parse --short HEAD 2>/dev/null || echo unknown)"
    echo "SOFTWARE $("$python" -c 'import sys, numpy, scipy, lmfit; print(f"Python {sys.version.split()[0]}, numpy {numpy.__version__}, scipy {scipy.__version__}, lmfit {lmfit.__version__}")'), $(c++ --version | head -1)"
    echo "COMMAND bash bench/run_benchmarks.sh"
    echo "LOAD $(cut -d' ' -f1-3 /proc/loadavg) (1, 5, 15 min averages before the run)"
} >"$log"
cat "$log"
# The all-cores figures need idle cores: anything else running shows up as a lost speed-up.
if awk -v n="$(nproc)" '{ exit !($1 > 0.5 * n) }' /proc/loadavg; then
    echo "warning: the machine is busy; the timings, above all the all-cores ones, will suffer"
fi

# One program at a time, so that the engine and lmfit never share the cores.
read -r -a size_list <<<"$sizes"
np_args=()
for np in "${size_list[@]}"; do np_args+=(--np "$np"); done
"$bench" "${np_args[@]}" --write-data "$results" --data-only >/dev/null
sweep_args=()
for e in $sweep_eps; do sweep_args+=(--eps "$e"); done
for r in $sweep_rmin; do sweep_args+=(--rmin "$r"); done
for np in "${size_list[@]}"; do
    echo
    "$bench" --np "$np" --repeat "$repeat" --fit-repeat "$fit_repeat" | tee -a "$log" \
        | grep -v '^RESULT'
    "$python" "$root/bench/lmfit_fit.py" "$results/synthetic_$np.txt" \
        --engine-library "$library" --repeat "$fit_repeat" | tee -a "$log" | grep -v '^LMFIT'
    "$bench" --np "$np" --sweep "${sweep_args[@]}" --fit-repeat "$sweep_repeat" \
        | tee -a "$log" | grep -v '^SWEEP'
done

echo
"$python" "$root/bench/bench_report.py" "$log" --data-dir "$results" \
    --engine-library "$library" --markdown "$results/table.md"
echo "log: $log; Markdown table: $results/table.md"
