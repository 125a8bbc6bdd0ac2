"""The model of a parameter vector with converged integrals, from the engine library itself.

Every fit of the benchmark, lmfit's and the engine's at whatever controls, is judged by the
chi-square of its final parameters under this one model, so that no fit can look better
through its own integration error. It calls ZORVANT of libzorvant.so in mode 0 (calculate)
through ctypes, with a Simpson EPS of 1e-10, up to 30 refinement steps and an Integration
Range of 6: the window then reaches at least four Gaussian FWHM from each point (six unless the
line is Gaussian-dominated), where the Gaussian is below 1e-19, and what is left is the
convolution integral itself, to about 1e-10 relative.
"""

import ctypes

import numpy as np

JUDGE_EPS = 1e-10
JUDGE_JMAX = 30
JUDGE_RANGE = 6.0

_int = ctypes.c_int32
_double = ctypes.c_double
_doubles = np.ctypeslib.ndpointer(dtype=np.float64, flags="C_CONTIGUOUS")
_ints = np.ctypeslib.ndpointer(dtype=np.int32, flags="C_CONTIGUOUS")
_int_ref = ctypes.POINTER(_int)
_double_ref = ctypes.POINTER(_double)

# The 32 by-reference arguments of ZORVANT, in order.
_ARGUMENTS = [
    _int_ref, _doubles, _doubles, _doubles,            # NP, energies, counts, sigmas
    _int_ref, _int_ref, _int_ref, _int_ref,            # NPAR, NDS, NBG, NCOMP
    _doubles, _doubles, _doubles, _doubles,            # parameters, model, components, errors
    _double_ref, _double_ref, _int_ref, _double_ref,   # lambda, LambdaFac, max trials, chi2
    _double_ref, _double_ref, _int_ref,                # sum of squares, EPS, JMAX
    _int_ref, _int_ref, _int_ref,                      # inversion and Lambda status, mode
    _doubles, _doubles, _int_ref, _int_ref,            # areas, widths, spare, NFREE
    _ints, _ints, _doubles, _double_ref,               # link states, targets, factors, range
    _ints, _double_ref,                                # link modes, condition number
]


class ConvergedModel:
    """Model spectra of the engine's line shape, all parameters free, with converged integrals
    (or with the `eps`, `jmax` and `window` given)."""

    def __init__(self, library, energy, nds, nbg, eps=JUDGE_EPS, jmax=JUDGE_JMAX,
                 window=JUDGE_RANGE):
        self._zorvant = ctypes.CDLL(library).ZORVANT
        self._zorvant.argtypes = _ARGUMENTS
        self._zorvant.restype = None
        self.energy = np.ascontiguousarray(energy, dtype=np.float64)
        self.nds, self.nbg = nds, nbg
        self.eps, self.jmax, self.window = eps, jmax, window

    def __call__(self, parameters):
        n, npar = self.energy.size, 5 * self.nds + self.nbg
        ncomp = self.nds + (1 if self.nbg > 0 else 0)
        p = np.array(parameters, dtype=np.float64)
        if p.size != npar:
            raise ValueError(f"{p.size} parameters given, {npar} expected")
        model = np.zeros(n)
        lambda_status = _int(0)
        ref = lambda ctype, value: ctypes.byref(ctype(value))
        self._zorvant(
            ref(_int, n), self.energy, self.energy, np.ones(n),
            ref(_int, npar), ref(_int, self.nds), ref(_int, self.nbg), ref(_int, ncomp),
            p, model, np.zeros(n * ncomp), np.zeros(npar * npar),
            ref(_double, 0.0), ref(_double, 10.0), ref(_int, 1), ref(_double, 0.0),
            ref(_double, 0.0), ref(_double, self.eps), ref(_int, self.jmax),
            ref(_int, 0), ctypes.byref(lambda_status), ref(_int, 0),
            np.zeros(self.nds), np.zeros(self.nds), ref(_int, 0), ref(_int, npar),
            np.zeros(npar, dtype=np.int32), np.arange(1, npar + 1, dtype=np.int32),
            np.zeros(npar), ref(_double, self.window),
            np.zeros(npar, dtype=np.int32), ref(_double, 0.0))
        if lambda_status.value != 0:
            raise RuntimeError(f"ZORVANT did not run (Lambda status {lambda_status.value})")
        return model


def chi_square(counts, sigma, model):
    r = (counts - model) / sigma
    return float(r @ r)
