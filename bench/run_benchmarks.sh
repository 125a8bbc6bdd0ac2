#!/usr/bin/env bash
# Measures the fit engine against lmfit on the synthetic spectrum at 601 and 4001 points and
# prints the figures side by side with the engine's targets.
#
#   bash bench/run_benchmarks.sh             from a clean checkout; installs what is missing
#
# Environment: VARNIX_BENCH_BUILD (build folder, default build-bench), VARNIX_BENCH_SIZES
# (default "601 4001"), VARNIX_BENCH_REPEAT (repetitions of the short timings, default 5),
# VARNIX_BENCH_FIT_REPEAT (repetitions of each whole fit, default 5), PYTHON (default
# /usr/bin/python3, the interpreter Debian's python3-lmfit belongs to).
# The log with every machine-readable line is left in <build>/bench-results/run.log, the table
# in Markdown (as docs/performance.md shows it) in <build>/bench-results/table.md.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${VARNIX_BENCH_BUILD:-$root/build-bench}
sizes=${VARNIX_BENCH_SIZES:-601 4001}
repeat=${VARNIX_BENCH_REPEAT:-5}
fit_repeat=${VARNIX_BENCH_FIT_REPEAT:-5}
python=${PYTHON:-/usr/bin/python3}

# The build tools and lmfit with numpy; the script does nothing when all is there.
bash "$root/scripts/install-deps.sh" --bench
"$python" -c 'import lmfit, numpy' || {
    echo "run_benchmarks.sh: $python cannot import lmfit and numpy; set PYTHON" >&2
    exit 1
}

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARNIX_BUILD_TESTS=OFF \
    >/dev/null
ninja -C "$build" varnix-bench >/dev/null
bench="$build/bin/varnix-bench"

results="$build/bench-results"
mkdir -p "$results"
log="$results/run.log"
{
    echo "MACHINE $(lscpu | sed -n 's/^Model name: *//p' | head -1), $(nproc) cores"
    echo "COMMAND bash bench/run_benchmarks.sh"
    echo "LOAD $(cut -d' ' -f1-3 /proc/loadavg) (1, 5, 15 min averages before the run)"
} >"$log"
cat "$log"
# The all-cores figures need idle cores: anything else running shows up as a lost speed-up.
if awk -v n="$(nproc)" '{ exit !($1 > 0.5 * n) }' /proc/loadavg; then
    echo "warning: the machine is busy; the timings, above all the all-cores ones, will suffer"
fi

# One size at a time, the engine before lmfit, so that the two never share the cores.
read -r -a size_list <<<"$sizes"
np_args=()
for np in "${size_list[@]}"; do np_args+=(--np "$np"); done
"$bench" "${np_args[@]}" --write-data "$results" --data-only >/dev/null
for np in "${size_list[@]}"; do
    echo
    "$bench" --np "$np" --repeat "$repeat" --fit-repeat "$fit_repeat" | tee -a "$log" \
        | grep -v '^RESULT'
    params=$(sed -n "s/^RESULT np=$np threads=1 .* params=//p" "$log" | tail -1)
    "$python" "$root/bench/lmfit_fit.py" "$results/synthetic_$np.txt" \
        --engine-params "$params" | tee -a "$log" | grep -v '^LMFIT'
done

echo
"$python" "$root/bench/bench_report.py" "$log"
"$python" "$root/bench/bench_report.py" "$log" --markdown >"$results/table.md"
echo
echo "log: $log; Markdown table: $results/table.md"
