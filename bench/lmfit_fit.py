#!/usr/bin/env python3
"""Fit a synthetic spectrum written by `varnix-bench --write-data` with lmfit.

This is the fit the engine is measured against: the one a scientist would write with lmfit
and its XPS add-ons. Each peak is a Doniach-Sunjic line evaluated on a fine equidistant grid
covering the data range plus margins, convolved with the sampled Gaussian by FFT
(scipy.signal.fftconvolve), scaled so that it equals Height at Pos and interpolated onto the
data energies, on a polynomial background in (E - E_last). lmfit's `leastsq` with its
defaults (finite-difference Jacobian, default tolerances) fits the same counts from the same
start, weighted with 1/sigma, with every LFWHM bounded below (0.01 eV by default) so that the
grid, which follows the narrowest line, stays finite.

The model is written here from its mathematical definition, not taken from the engine. The
script checks it against the converged integral (the engine in mode 0 at a tight tolerance,
converged_model.py) at the true and at the fitted parameters and prints the agreement in
units of the counts' sigma.

Prints one machine-readable line:
    LMFIT np=... fit_seconds=... nfev=... chi2=... finest_step=... params=...
"""

import argparse
import math
import statistics
import sys
import time

import numpy as np

from converged_model import ConvergedModel, chi_square

try:
    import lmfit
    from scipy.signal import fftconvolve
except ImportError:  # pragma: no cover - reported to the caller, who installs them
    sys.exit("lmfit_fit.py: python3-lmfit or python3-scipy is missing "
             "(scripts/install-deps.sh --bench)")

# pi/2 as the single-precision value the line is defined with, so that both sides evaluate
# the same function to the last digits.
HALF_PI = 1.5707963705062866
# 1/(2 sqrt(ln 2)): turns a Gaussian FWHM into its 1/e half width.
GAUSS_WIDTH = 0.600561204395
# Half-width of the sampled Gaussian in FWHM: beyond it the Gaussian is below exp(-25) = 1e-11.
KERNEL_HALF_WIDTH = 3.0
SLOTS = ("pos", "height", "lfwhm", "alpha", "gfwhm")


def read_spectrum(path):
    """Header values (np, nds, nbg, true and start parameters) and the data columns."""
    header = {}
    with open(path, encoding="ascii") as f:
        for line in f:
            if not line.startswith("#"):
                break
            fields = line[1:].split()
            if len(fields) >= 2 and fields[0] != "Varnix":
                header[fields[0]] = fields[1:]
    data = np.loadtxt(path, comments="#")
    return {
        "np": int(header["np"][0]),
        "nds": int(header["nds"][0]),
        "nbg": int(header["nbg"][0]),
        "true": np.array([float(v) for v in header["true"]]),
        "start": np.array([float(v) for v in header["start"]]),
        "energy": data[:, 0],
        "counts": data[:, 1],
        "sigma": data[:, 2],
    }


def doniach_sunjic(d, lfwhm, alpha):
    """DS at x = Pos + d: cos(phi) / D^((1 - alpha)/2), no normalisation."""
    gamma = lfwhm / 2.0
    eps = d * (2.0 / lfwhm)
    log_d = np.log(gamma * gamma * (1.0 + eps * eps))
    phi = HALF_PI * alpha + (1.0 - alpha) * np.arctan(eps)
    return np.cos(phi) * np.exp(-0.5 * (1.0 - alpha) * log_d)


class FftModel:
    """The model spectrum on fixed energies, each peak convolved by FFT on a fine grid.

    A peak's grid starts at the lowest data energy and divides the data spacing into equal
    steps, so that equidistant data energies are grid nodes, with at least `nodes_per_width`
    steps per Lorentzian half width: a fit that narrows a line must not be able to lower its
    chi-square through a grid that misses the line's spike. The discrete convolution is the
    rectangle rule of the convolution integral, which for this smooth line converges like
    exp(-2 pi (half width) / step); the normalisation at Pos is the same sum taken there, so it
    needs no interpolation.
    """

    def __init__(self, energy, nds, nbg, nodes_per_width):
        self.energy = energy
        self.nds = nds
        self.nbg = nbg
        self.nodes_per_width = nodes_per_width
        self.shift = energy - energy[-1]
        self.low = float(np.min(energy))
        self.span = float(np.max(energy)) - self.low
        self.data_step = self.span / (energy.size - 1)
        self.evaluations = 0
        self.finest_step = self.data_step

    def grid_step(self, lfwhm):
        wanted = min(self.data_step, abs(lfwhm) / (2.0 * self.nodes_per_width))
        return self.data_step / math.ceil(self.data_step / wanted - 1e-9)

    def peak(self, pos, height, lfwhm, alpha, gfwhm):
        step = self.grid_step(lfwhm)
        self.finest_step = min(self.finest_step, step)
        m = math.ceil(KERNEL_HALF_WIDTH * abs(gfwhm) / step)
        u = step * np.arange(-m, m + 1)
        kernel = np.exp(-(u / (GAUSS_WIDTH * gfwhm)) ** 2)
        # The line on the grid extended by the kernel's half-width at both ends, so that the
        # 'valid' part of the convolution covers exactly the data range.
        intervals = round(self.span / step)
        nodes = self.low + step * np.arange(-m, intervals + m + 1)
        line = fftconvolve(doniach_sunjic(nodes - pos, lfwhm, alpha), kernel, mode="valid")
        norm = doniach_sunjic(-u, lfwhm, alpha) @ kernel
        return np.interp(self.energy, nodes[m:m + intervals + 1], line * (height / norm))

    def __call__(self, p):
        self.evaluations += 1
        total = np.zeros_like(self.energy)
        for k in range(self.nds):
            total += self.peak(*p[5 * k:5 * k + 5])
        background = p[5 * self.nds:5 * self.nds + self.nbg]
        total += np.polynomial.polynomial.polyval(self.shift, background)
        return total


def parameter_names(nds, nbg):
    return [f"p{k + 1}_{s}" for k in range(nds) for s in SLOTS] + [f"a{m}" for m in range(nbg)]


def fit(spectrum, model, lfwhm_min):
    names = parameter_names(spectrum["nds"], spectrum["nbg"])
    params = lmfit.Parameters()
    for name, value in zip(names, spectrum["start"]):
        bounded = lfwhm_min > 0.0 and name.endswith("_lfwhm")
        params.add(name, value=value, min=lfwhm_min if bounded else -np.inf)
    counts, sigma = spectrum["counts"], spectrum["sigma"]

    def residual(p):
        return (counts - model(np.array([p[n].value for n in names]))) / sigma

    start = time.perf_counter()
    result = lmfit.minimize(residual, params, method="leastsq")
    seconds = time.perf_counter() - start
    values = np.array([result.params[n].value for n in names])
    return result, values, seconds


def worst_in_sigma(spectrum, a, b):
    """Largest |a - b| over the points, in units of the counts' sigma."""
    return float(np.max(np.abs(a - b) / spectrum["sigma"]))


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("data", help="synthetic_<NP>.txt written by varnix-bench --write-data")
    ap.add_argument("--engine-library", required=True,
                    help="libzorvant.so, for the converged integral the model is checked on")
    ap.add_argument("--nodes-per-width", type=float, default=3.0,
                    help="grid steps per Lorentzian half width at least (default 3)")
    ap.add_argument("--lfwhm-min", type=float, default=0.01,
                    help="lower bound of every LFWHM in eV, 0 for none (default 0.01)")
    ap.add_argument("--repeat", type=int, default=5,
                    help="whole fits to time; the median counts (default 5)")
    args = ap.parse_args()

    spectrum = read_spectrum(args.data)
    model = FftModel(spectrum["energy"], spectrum["nds"], spectrum["nbg"], args.nodes_per_width)
    converged = ConvergedModel(args.engine_library, spectrum["energy"], spectrum["nds"],
                               spectrum["nbg"])

    times = []
    for _ in range(max(args.repeat, 1)):
        model.evaluations = 0
        result, values, seconds = fit(spectrum, model, args.lfwhm_min)
        times.append(seconds)
    seconds = statistics.median(times)
    evaluations = model.evaluations
    fitted = model(values)
    chi2 = chi_square(spectrum["counts"], spectrum["sigma"], fitted)
    off_true = worst_in_sigma(spectrum, model(spectrum["true"]), converged(spectrum["true"]))
    off_fitted = worst_in_sigma(spectrum, fitted, converged(values))

    steps = [model.grid_step(values[5 * k + 2]) for k in range(spectrum["nds"])]
    print(f"lmfit {lmfit.__version__} leastsq, NP {spectrum['np']}, FFT convolution with at "
          f"least {args.nodes_per_width:g} grid steps per Lorentzian half width")
    print(f"  grid steps at the fitted parameters {', '.join(f'{s:.4g}' for s in steps)} eV, "
          f"finest in the fit {model.finest_step:.4g} eV")
    print(f"  model vs converged integral, largest difference in sigma: "
          f"{off_true:.2g} at the true parameters, {off_fitted:.2g} at the fitted ones")
    print(f"  whole fit {seconds:.3f} s (median of {len(times)}), {result.nfev} function "
          f"evaluations, chi2 {chi2:.10g} on its own model, {result.message}")
    print(f"LMFIT np={spectrum['np']} fit_seconds={seconds:.6g} nfev={result.nfev} "
          f"model_evaluations={evaluations} chi2={chi2:.12g} "
          f"success={int(bool(result.success))} finest_step={model.finest_step:.6g} "
          f"model_off_sigma_true={off_true:.4g} model_off_sigma_fitted={off_fitted:.4g} "
          f"params={','.join(repr(float(v)) for v in values)}")


if __name__ == "__main__":
    main()
