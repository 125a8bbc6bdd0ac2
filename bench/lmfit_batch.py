#!/usr/bin/env python3
"""Fit a series written by `varnix-bench-batch` with lmfit, one spectrum after another.

The comparison for varnix-fit: the loop a scientist would write around lmfit, with the FFT
model of lmfit_fit.py (each Doniach-Sunjic line convolved with the sampled Gaussian by FFT on a
fine grid), lmfit's `leastsq` with its defaults, the same start values for every spectrum and
the weights sqrt(counts) + 1 the program uses.

Prints one machine-readable line:
    LMFIT_BATCH spectra=... seconds=... spectra_per_second=... failed=...
"""

import argparse
import math
import os
import sys
import time

import numpy as np

from lmfit_fit import FftModel, fit


def read_dat(path):
    """Energies and counts of a spectrum in Varnix's own data layout, kinetic energies."""
    energy, counts = [], []
    with open(path, encoding="ascii") as f:
        for line in f:
            fields = line.split()
            if not fields or line.startswith(";") or fields[0].isalpha() or "_" in fields[0]:
                continue
            energy.append(float(fields[0]))
            counts.append(float(fields[1]))
    return np.array(energy), np.array(counts)


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("folder", help="the folder varnix-bench-batch wrote")
    ap.add_argument("--limit", type=int, default=0, help="fit only the first N spectra")
    ap.add_argument("--nodes-per-width", type=float, default=3.0)
    ap.add_argument("--lfwhm-min", type=float, default=0.01)
    args = ap.parse_args()

    with open(os.path.join(args.folder, "list.txt"), encoding="ascii") as f:
        names = [line.strip() for line in f if line.strip()]
    if args.limit > 0:
        names = names[:args.limit]
    start = np.loadtxt(os.path.join(args.folder, "start.txt"))
    failed = 0
    began = time.perf_counter()
    for name in names:
        energy, counts = read_dat(os.path.join(args.folder, name))
        spectrum = {"nds": 4, "nbg": 2, "start": start, "counts": counts,
                    "sigma": np.sqrt(counts) + 1.0}
        model = FftModel(energy, 4, 2, args.nodes_per_width)
        result, _, _ = fit(spectrum, model, args.lfwhm_min)
        if not result.success or not math.isfinite(result.chisqr):
            failed += 1
    seconds = time.perf_counter() - began
    print(f"LMFIT_BATCH spectra={len(names)} seconds={seconds:.3f} "
          f"spectra_per_second={len(names) / seconds:.3f} failed={failed}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
