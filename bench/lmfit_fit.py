#!/usr/bin/env python3
"""Fit a synthetic spectrum written by `varnix-bench --write-data` with lmfit.

This is the comparison the engine is measured against: the tool a scientist would otherwise
reach for (lmfit's Levenberg-Marquardt, `leastsq`, with its default tolerances and
finite-difference Jacobian), fitting the same model to the same counts from the same start,
weighted with 1/sigma.

The model is written here from its mathematical definition, in numpy, not taken from the
engine: each peak is a Doniach-Sunjic line convolved with a Gaussian over a window of
half-width h about the evaluation energy, scaled so that it equals Height at Pos, on a
polynomial background in (E - E_last). The convolution uses a composite Simpson rule on
equidistant nodes, vectorised over points and nodes, with a spacing tied to the line widths
(see Model) so that it agrees with the engine's converged model (tight tolerance, written
into the data file) to about 1e-5 relative wherever the fit goes; the script checks the
agreement at the true parameters and prints it. Both fits are also judged on one finer grid,
so that neither can look better through integration error.

Prints one machine-readable line:
    LMFIT np=... fit_seconds=... nfev=... chi2=... R=... chi2_reference=... params=...
"""

import argparse
import math
import sys
import time

import numpy as np

try:
    import lmfit
except ImportError:  # pragma: no cover - reported to the caller, who installs it
    sys.exit("lmfit_fit.py: python3-lmfit is missing (scripts/install-deps.sh --bench)")

# pi/2 as the single-precision value the line is defined with, so that both sides evaluate
# the same function to the last digits.
HALF_PI = 1.5707963705062866
# 1/(2 sqrt(ln 2)): turns a Gaussian FWHM into its 1/e half width.
GAUSS_WIDTH = 0.600561204395
SLOTS = ("pos", "height", "lfwhm", "alpha", "gfwhm")
# Elements (points x nodes) per block of the vectorised convolution: the temporaries stay in
# the cache and below the allocator's mmap threshold, which would otherwise map and unmap
# every one of them.
BLOCK_ELEMENTS = 8192


def read_spectrum(path):
    """Header values (np, controls, true and start parameters) and the data columns."""
    header = {}
    with open(path, encoding="ascii") as f:
        for line in f:
            if not line.startswith("#"):
                break
            fields = line[1:].split()
            if len(fields) >= 2 and fields[0] != "Varnix":
                header[fields[0]] = fields[1:]
    data = np.loadtxt(path, comments="#")
    as_int = lambda key: int(header[key][0])
    as_float = lambda key: float(header[key][0])
    return {
        "np": as_int("np"),
        "nds": as_int("nds"),
        "nbg": as_int("nbg"),
        "range": as_float("integration_range"),
        "true": np.array([float(v) for v in header["true"]]),
        "start": np.array([float(v) for v in header["start"]]),
        "energy": data[:, 0],
        "counts": data[:, 1],
        "sigma": data[:, 2],
        "engine_model": data[:, 3],
        "engine_reference": data[:, 4],
    }


def window_half_width(integration_range, lfwhm, gfwhm):
    """Half-width of the convolution window: Integration Range times the larger FWHM, with
    fewer widths for Gaussian-dominated lines, whose tails fall off fast."""
    widths = integration_range
    lw, gw = abs(lfwhm), abs(gfwhm)
    if gw > 10.0 * lw:
        if widths >= 3.0 and gw > 100.0 * lw:
            widths -= 2.0
        elif widths >= 2.0:
            widths -= 1.0
    return widths * max(lw, gw)


def doniach_sunjic(d, lfwhm, alpha):
    """DS at x = Pos + d: cos(phi) / D^((1 - alpha)/2), no normalisation."""
    gamma = lfwhm / 2.0
    eps = d * (2.0 / lfwhm)
    log_d = np.log(gamma * gamma * (1.0 + eps * eps))
    phi = HALF_PI * alpha + (1.0 - alpha) * np.arctan(eps)
    return np.cos(phi) * np.exp(-0.5 * (1.0 - alpha) * log_d)


def simpson_weights(intervals):
    """Composite Simpson weights on intervals + 1 equidistant nodes, for unit spacing."""
    w = np.ones(intervals + 1)
    w[1:-1:2] = 4.0
    w[2:-1:2] = 2.0
    return w / 3.0


class Model:
    """The model spectrum on fixed energies.

    Each convolution window is integrated with a composite Simpson rule on equidistant nodes.
    The spacing follows the narrower of the two line widths (at most 1/`nodes_per_width` of
    the Lorentzian half width and of the Gaussian 1/e half width), rounded to a power of two
    of intervals: a fit that narrows a line must not be able to lower its chi-square through
    the grid missing the line's spike. `fixed_intervals` forces one grid for every peak.
    """

    def __init__(self, energy, nds, nbg, integration_range, nodes_per_width=4.0,
                 min_intervals=64, fixed_intervals=None):
        if fixed_intervals is not None and (fixed_intervals < 2 or fixed_intervals % 2):
            raise ValueError("Simpson needs an even number of intervals")
        self.energy = energy
        self.nds = nds
        self.nbg = nbg
        self.range = integration_range
        self.nodes_per_width = nodes_per_width
        self.min_intervals = min_intervals
        self.fixed_intervals = fixed_intervals
        self.shift = energy - energy[-1]
        self.evaluations = 0
        self.nodes = 0  # integrand evaluations so far, for the cost per evaluation

    def intervals(self, h, lfwhm, gfwhm):
        if self.fixed_intervals is not None:
            return self.fixed_intervals
        width = min(abs(lfwhm) / 2.0, GAUSS_WIDTH * abs(gfwhm))
        wanted = 2.0 * h * self.nodes_per_width / width
        return max(self.min_intervals, 1 << max(1, math.ceil(math.log2(wanted))))

    def peak(self, pos, height, lfwhm, alpha, gfwhm):
        h = window_half_width(self.range, lfwhm, gfwhm)
        intervals = self.intervals(h, lfwhm, gfwhm)
        t = np.linspace(-h, h, intervals + 1)
        # The Gaussian depends only on the node's place in the window: G(E - x) = G(-t).
        weights = simpson_weights(intervals) * (2.0 * h / intervals) \
            * np.exp(-(t / (GAUSS_WIDTH * gfwhm)) ** 2)
        norm = doniach_sunjic(t, lfwhm, alpha) @ weights
        offset = self.energy - pos
        self.nodes += (offset.size + 1) * t.size
        out = np.empty_like(self.energy)
        block = max(1, BLOCK_ELEMENTS // t.size)
        for start in range(0, offset.size, block):
            d = offset[start:start + block, None] + t[None, :]
            out[start:start + block] = doniach_sunjic(d, lfwhm, alpha) @ weights
        return height * (out / norm)

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


def fit(spectrum, model):
    names = parameter_names(spectrum["nds"], spectrum["nbg"])
    params = lmfit.Parameters()
    for name, value in zip(names, spectrum["start"]):
        params.add(name, value=value)
    counts, sigma = spectrum["counts"], spectrum["sigma"]

    def residual(p):
        return (counts - model(np.array([p[n].value for n in names]))) / sigma

    start = time.perf_counter()
    result = lmfit.minimize(residual, params, method="leastsq")
    seconds = time.perf_counter() - start
    values = np.array([result.params[n].value for n in names])
    return result, values, seconds


def chi_square(spectrum, model, p):
    r = (spectrum["counts"] - model(p)) / spectrum["sigma"]
    return float(r @ r)


def max_relative(a, b):
    return float(np.max(np.abs(a - b) / np.abs(b)))


def time_model(model, p, repeat):
    best = math.inf
    for _ in range(repeat):
        start = time.perf_counter()
        model(p)
        best = min(best, time.perf_counter() - start)
    return best


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("data", help="synthetic_<NP>.txt written by varnix-bench --write-data")
    ap.add_argument("--nodes-per-width", type=float, default=4.0,
                    help="Simpson nodes per half width of the narrower line component")
    ap.add_argument("--intervals", type=int,
                    help="one fixed number of Simpson intervals per window instead")
    ap.add_argument("--engine-params",
                    help="comma-separated parameters of the engine's fit, to evaluate their "
                         "chi-square with the reference model as well")
    args = ap.parse_args()

    spectrum = read_spectrum(args.data)
    shape = (spectrum["energy"], spectrum["nds"], spectrum["nbg"], spectrum["range"])
    model = Model(*shape, nodes_per_width=args.nodes_per_width, fixed_intervals=args.intervals)
    # Judges both fits on one footing: a grid eight times finer, whose own integration error
    # is below 1e-9 relative.
    reference = Model(*shape, nodes_per_width=8.0 * args.nodes_per_width, min_intervals=1024)
    true_model = model(spectrum["true"])
    diff_reference = max_relative(true_model, spectrum["engine_reference"])
    diff_default = max_relative(true_model, spectrum["engine_model"])
    model_seconds = time_model(model, spectrum["start"], 3)

    model.evaluations = 0
    model.nodes = 0
    result, values, seconds = fit(spectrum, model)
    chi2 = chi_square(spectrum, model, values)
    r = math.sqrt(chi2 / spectrum["np"])
    chi2_reference = chi_square(spectrum, reference, values)
    engine_chi2 = math.nan
    if args.engine_params:
        engine_chi2 = chi_square(spectrum, reference, np.array(
            [float(v) for v in args.engine_params.split(",")]))
    ns_per_node = seconds * 1e9 / model.nodes

    grid = (f"{args.intervals} Simpson intervals per window" if args.intervals
            else f"Simpson grid of {args.nodes_per_width:g} nodes per half width")
    print(f"lmfit {lmfit.__version__} leastsq, NP {spectrum['np']}, {grid}")
    print(f"  model at the true parameters vs engine (tight tolerance): max relative "
          f"difference {diff_reference:.3g}; vs engine (default controls) {diff_default:.3g}")
    print(f"  one model evaluation at the start {model_seconds:.4f} s")
    print(f"  whole fit {seconds:.3f} s, {result.nfev} function evaluations, "
          f"chi2 {chi2:.10g} (reference grid {chi2_reference:.10g}), R {r:.8f}, "
          f"{result.message}")
    if args.engine_params:
        print(f"  engine's fitted parameters on the reference grid: chi2 {engine_chi2:.10g}")
    print(f"LMFIT np={spectrum['np']} fit_seconds={seconds:.6g} nfev={result.nfev} "
          f"model_evaluations={model.evaluations} model_seconds={model_seconds:.6g} "
          f"ns_per_node={ns_per_node:.4g} chi2={chi2:.12g} R={r:.10g} "
          f"chi2_reference={chi2_reference:.12g} engine_chi2_reference={engine_chi2:.12g} "
          f"success={int(bool(result.success))} "
          f"model_rel_diff_reference={diff_reference:.4g} "
          f"model_rel_diff_default={diff_default:.4g} "
          f"params={','.join(repr(float(v)) for v in values)}")


if __name__ == "__main__":
    main()
