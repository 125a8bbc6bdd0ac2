#!/usr/bin/env bash
# Times varnix-fit on a series of synthetic spectra (601 points each, seeds 1 … N, one
# configuration at the generator's start values) and an lmfit loop over the same files.
#
#   bash bench/run_batch_benchmark.sh          after a build in build/ (or VARNIX_BENCH_BUILD)
#
# Figures, each in spectra per second over the whole series (the median of the repetitions):
# one process with one engine thread, with two engine threads, with --chain, two processes of
# one thread each through GNU parallel, and the lmfit loop (bench/lmfit_batch.py). The lines of
# one and two threads must be identical; the script says so or fails.
#
# Environment: VARNIX_BENCH_BUILD (default build), VARNIX_BATCH_SPECTRA (default 1000),
# VARNIX_BATCH_REPEAT (default 3), VARNIX_BATCH_LMFIT (spectra lmfit fits, default all),
# PYTHON (default /usr/bin/python3, the interpreter Debian's python3-lmfit belongs to).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${VARNIX_BENCH_BUILD:-$root/build}
count=${VARNIX_BATCH_SPECTRA:-1000}
repeat=${VARNIX_BATCH_REPEAT:-3}
lmfit_count=${VARNIX_BATCH_LMFIT:-$count}
python=${PYTHON:-/usr/bin/python3}
bin=$build/bin
series=$build/bench-batch/$count

cmake --build "$build" --target varnix-fit varnix-bench-batch >/dev/null
if [[ ! -f $series/list.txt ]] || (( $(wc -l < "$series/list.txt") != count )); then
    rm -rf "$series"
    "$bin/varnix-bench-batch" "$series" "$count"
fi
cd "$series"

now() { date +%s.%N; }
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# Runs a command `repeat` times; prints the median wall-clock rate in spectra per second and the
# CPU seconds per spectrum (user + system, children included) of that run. On a machine shared
# with other work the wall clock measures the share the series got; the CPU time does not.
rate() {
    local label=$1
    shift
    local runs=()
    for ((i = 0; i < repeat; i++)); do
        runs+=("$(/usr/bin/time -f '%e %U %S' "$@" 2>&1 >/dev/null | tail -1)")
    done
    printf '%s\n' "${runs[@]}" | sort -g | awk -v n="$count" -v label="$label" '
        { wall[NR] = $1; cpu[NR] = $2 + $3 }
        END {
            m = int((NR + 1) / 2)
            printf "BATCH %-28s spectra=%d seconds=%.2f spectra_per_second=%.2f cpu_seconds_per_spectrum=%.4f\n",
                   label, n, wall[m], n / wall[m], cpu[m] / n
        }'
}

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)"
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
rate "varnix-fit 1 thread" sh -c "'$bin/varnix-fit' --threads 1 --config model.cfg --list list.txt > one.jsonl 2>/dev/null || true"
rate "varnix-fit 2 threads" sh -c "'$bin/varnix-fit' --threads 2 --config model.cfg --list list.txt > two.jsonl 2>/dev/null || true"
cmp -s one.jsonl two.jsonl || { echo "1 and 2 threads differ" >&2; exit 1; }
echo "BATCH lines of 1 and 2 threads identical; fitted: $(grep -c '"status":"fitted"' one.jsonl) of $count"
rate "varnix-fit 1 thread --chain" sh -c "'$bin/varnix-fit' --threads 1 --chain --config model.cfg --list list.txt > chain.jsonl 2>/dev/null || true"
echo "BATCH chained fitted: $(grep -c '"status":"fitted"' chain.jsonl) of $count"
if command -v parallel >/dev/null; then
    rate "parallel 2 x 1 thread" sh -c "parallel --jobs 2 --max-args 50 '$bin/varnix-fit' --threads 1 --config model.cfg :::: list.txt > parallel.jsonl 2>/dev/null || true"
    cmp -s <(sort one.jsonl) <(sort parallel.jsonl) || { echo "parallel lines differ" >&2; exit 1; }
fi
echo "load after varnix-fit: $(cut -d' ' -f1-3 /proc/loadavg)"
if "$python" -c 'import lmfit, numpy, scipy' 2>/dev/null; then
    (cd "$root/bench" && /usr/bin/time -f 'LMFIT_BATCH cpu_seconds=%U+%S' \
        "$python" lmfit_batch.py "$series" --limit "$lmfit_count")
else
    echo "lmfit loop skipped: $python cannot import lmfit (scripts/install-deps.sh --bench)"
fi
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
