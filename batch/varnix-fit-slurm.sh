#!/usr/bin/env bash
# One task of a Slurm job array: fits its slice of a list of spectra with varnix-fit on one core
# and writes its own JSON Lines file; the files of all tasks merge by concatenation.
#
#   sbatch --array=0-15 varnix-fit-slurm.sh LIST OUTDIR --config model.cfg [varnix-fit options]
#   cat OUTDIR/part-*.jsonl > fits.jsonl          (after the array has finished)
#
# Task i of n (i counted from the array's first index) takes the names on lines
# floor(i·L/n) … floor((i+1)·L/n) − 1 of the L non-blank lines of LIST: contiguous slices whose
# sizes differ by one at most, together every name exactly once. n is SLURM_ARRAY_TASK_COUNT.
# The part file is written under a temporary name and renamed when the task ends, so a part
# that exists is complete; resubmitting only the failed indices (--array=3,7) redoes those.
#
# Without Slurm the same variables select a task by hand; --print-slice prints the task's names
# and fits nothing. VARNIX_FIT names the program (default: varnix-fit beside this script, else
# on the PATH).
#SBATCH --job-name=varnix-fit
#SBATCH --cpus-per-task=1
#SBATCH --ntasks=1
set -euo pipefail

print_only=0
if [[ ${1:-} == --print-slice ]]; then
    print_only=1
    shift
fi
if [[ $# -lt 2 ]]; then
    echo "usage: $0 [--print-slice] LIST OUTDIR [varnix-fit options]" >&2
    exit 2
fi
list=$1
outdir=$2
shift 2

task=$(( ${SLURM_ARRAY_TASK_ID:?not a task of a job array} - ${SLURM_ARRAY_TASK_MIN:-0} ))
tasks=${SLURM_ARRAY_TASK_COUNT:?not a task of a job array}
if (( task < 0 || task >= tasks )); then
    echo "$0: task $task is outside 0 … $((tasks - 1))" >&2
    exit 2
fi

slice() {
    awk -v task="$task" -v tasks="$tasks" '
        NF { line[n++] = $0 }
        END {
            first = int(task * n / tasks); last = int((task + 1) * n / tasks)
            for (i = first; i < last; i++) print line[i]
        }' "$list"
}

if (( print_only )); then
    slice
    exit 0
fi

here=$(cd "$(dirname "$0")" && pwd)
fit=${VARNIX_FIT:-}
if [[ -z $fit ]]; then
    if [[ -x $here/varnix-fit ]]; then fit=$here/varnix-fit; else fit=varnix-fit; fi
fi

mkdir -p "$outdir"
part=$(printf '%s/part-%05d.jsonl' "$outdir" "$task")
status=0
slice | "$fit" --threads 1 "$@" - > "$part.tmp" || status=$?
# 1 means some spectra failed: their lines are in the part, which is complete.
if (( status > 1 )); then
    rm -f "$part.tmp"
    exit "$status"
fi
mv "$part.tmp" "$part"
exit "$status"
