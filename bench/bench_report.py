#!/usr/bin/env python3
"""Side-by-side table of a benchmark run: the engine (varnix-bench) against lmfit
(lmfit_fit.py) on the same spectra, with the targets the engine is held to.

Reads the `RESULT`, `SWEEP` and `LMFIT` lines of a run log and judges every fit they report
by the chi-square of its final parameters under converged integrals (converged_model.py), so
that no fit looks better through its own integration error. Prints a plain table, and with
--markdown FILE writes the Markdown form docs/performance.md keeps. Exits 0 whatever the
targets say: timing is reported, never asserted.
"""

import argparse
import os
import sys

from converged_model import JUDGE_EPS, JUDGE_JMAX, JUDGE_RANGE, ConvergedModel, chi_square
from lmfit_fit import read_spectrum

# Targets of the engine on the benchmark machine.
MIN_SPEEDUP_VS_LMFIT = 3.0       # whole default fit, all cores, against lmfit's whole fit
MAX_CHI2_EXCESS = 0.001          # converged chi-square at most 0.1 % above lmfit's
MIN_THREAD_SPEEDUP = 1.8         # all cores against one thread, whole fit
MAX_NS_PER_EVALUATION = 10.0     # one-thread fit time per integrand evaluation
# How close to the lowest chi-square found a fit must come to count as reaching the minimum.
REACH_LEVELS = (1e-3, 1e-4)


def fields_of(line):
    fields = line.split()
    return fields[0], dict(item.split("=", 1) for item in fields[1:] if "=" in item)


def parse(path):
    run = {"engine": {}, "sweep": {}, "lmfit": {}, "notes": []}
    with open(path, encoding="utf-8", errors="replace") as f:
        for line in f:
            if line.startswith(("MACHINE", "COMMAND", "LOAD", "DATE", "SOFTWARE")):
                run["notes"].append(line.rstrip("\n"))
                continue
            if not line.startswith(("RESULT ", "SWEEP ", "LMFIT ")):
                continue
            kind, v = fields_of(line)
            n = int(v["np"])
            if kind == "RESULT":
                run["engine"][(n, int(v["threads"]))] = v
            elif kind == "SWEEP":
                run["sweep"][(n, float(v["eps"]), float(v["rmin"]))] = v
            else:
                run["lmfit"][n] = v
    return run


class Judge:
    """Converged chi-square of parameter vectors, one spectrum per size."""

    def __init__(self, data_dir, library):
        self.data_dir = data_dir
        self.library = library
        self.spectra = {}

    def __call__(self, n, params_text):
        if n not in self.spectra:
            s = read_spectrum(os.path.join(self.data_dir, f"synthetic_{n}.txt"))
            model = ConvergedModel(self.library, s["energy"], s["nds"], s["nbg"])
            self.spectra[n] = (s, model)
        s, model = self.spectra[n]
        p = [float(x) for x in params_text.split(",")]
        return chi_square(s["counts"], s["sigma"], model(p))


def judge_run(run, judge):
    records = list(run["engine"].items()) + list(run["sweep"].items()) \
        + [((n,), v) for n, v in run["lmfit"].items()]
    for key, v in records:
        v["chi2_converged"] = judge(key[0], v["params"])


def verdict(ok):
    return "met" if ok else "MISSED"


def percent(a, b):
    return 100.0 * (a / b - 1.0)


def cheapest_within(sweep, n, lowest, level):
    """The fastest swept controls whose converged chi-square is within `level` of the lowest."""
    good = [v for (m, _, _), v in sweep.items()
            if m == n and float(v["chi2_converged"]) <= lowest * (1.0 + level)]
    return min(good, key=lambda v: float(v["fit_seconds"]), default=None)


def lowest_found(run, n):
    """Lowest converged chi-square among all fits of size n, and which fit reached it."""
    found = [(float(v["chi2_converged"]), f"engine EPS {float(v['eps']):g} RMIN "
              f"{float(v['rmin']):g}") for (m, _, _), v in run["sweep"].items() if m == n]
    found += [(float(v["chi2_converged"]), "engine, default controls")
              for (m, _), v in run["engine"].items() if m == n]
    if n in run["lmfit"]:
        found.append((float(run["lmfit"][n]["chi2_converged"]), "lmfit"))
    return min(found)


def rows_for(n, run):
    engine, lm = run["engine"], run["lmfit"].get(n)
    one = engine.get((n, 1))
    alls = [v for (m, t), v in engine.items() if m == n and t > 1]
    if one is None or lm is None:
        return None
    all_ = alls[0] if alls else one
    f = lambda d, k: float(d[k])
    lm_seconds, lm_chi2 = f(lm, "fit_seconds"), f(lm, "chi2_converged")
    speed = lm_seconds / f(all_, "fit_seconds")
    excess = f(all_, "chi2_converged") / lm_chi2 - 1.0
    threads = f(one, "fit_seconds") / f(all_, "fit_seconds")
    ns = f(one, "ns_per_eval")
    lowest, lowest_by = lowest_found(run, n)
    rows = [
        ("lmfit whole fit [s], function evaluations",
         f"{lm_seconds:.4g}, {lm['nfev']}", ""),
        ("lmfit time per function evaluation [ms]",
         f"{1e3 * lm_seconds / f(lm, 'nfev'):.3g}", ""),
        ("engine model pass / derivative pass at the fitted parameters, all cores [ms]",
         f"{1e3 * f(all_, 'model_pass_seconds'):.3g} / "
         f"{1e3 * f(all_, 'derivative_pass_seconds'):.3g}", ""),
        ("lmfit model vs converged integral, largest difference in sigma (true / fitted)",
         f"{f(lm, 'model_off_sigma_true'):.2g} / {f(lm, 'model_off_sigma_fitted'):.2g}", ""),
        ("engine mode 0 call, 1 thread / all cores [s]",
         f"{f(one, 'mode0_seconds'):.4g} / {f(all_, 'mode0_seconds'):.4g}", ""),
        ("engine mode 1 iteration, 1 thread / all cores [s]",
         f"{f(one, 'mode1_seconds'):.4g} / {f(all_, 'mode1_seconds'):.4g}", ""),
        ("engine whole default fit, 1 thread / all cores [s]",
         f"{f(one, 'fit_seconds'):.4g} / {f(all_, 'fit_seconds'):.4g}", ""),
        ("engine iterations (stop rule), model passes",
         f"{one['iterations']} ({one['stop']}), {one['model_passes']}", ""),
        ("speed-up of the default fit (all cores) over lmfit",
         f"{speed:.1f}x", f">= {MIN_SPEEDUP_VS_LMFIT:g}x {verdict(speed >= MIN_SPEEDUP_VS_LMFIT)}"),
        ("converged chi2, engine default / lmfit",
         f"{f(all_, 'chi2_converged'):.7g} / {lm_chi2:.7g}", ""),
        ("converged chi2 of the default fit above lmfit's",
         f"{100.0 * excess:+.3f} %",
         f"<= +{100 * MAX_CHI2_EXCESS:g} % {verdict(excess <= MAX_CHI2_EXCESS)}"),
        ("chi2 on its own model, engine default / lmfit",
         f"{f(all_, 'chi2'):.7g} / {f(lm, 'chi2'):.7g}", ""),
        ("lowest converged chi2 found, by",
         f"{lowest:.7g}, {lowest_by}", ""),
    ]
    for level in REACH_LEVELS:
        best = cheapest_within(run["sweep"], n, lowest, level)
        text = "none of the swept controls" if best is None else (
            f"EPS {f(best, 'eps'):g}, RMIN {f(best, 'rmin'):g}: {f(best, 'fit_seconds'):.4g} s, "
            f"{lm_seconds / f(best, 'fit_seconds'):.1f}x lmfit, chi2 "
            f"{percent(f(best, 'chi2_converged'), lm_chi2):+.3f} % vs lmfit")
        rows.append((f"cheapest controls within {100 * level:g} % of the lowest chi2", text, ""))
    rows += [
        ("all cores over one thread (whole default fit)",
         f"{threads:.2f}x ({all_['threads']} threads)",
         f">= {MIN_THREAD_SPEEDUP:g}x {verdict(threads >= MIN_THREAD_SPEEDUP)}"),
        ("integrals, evaluations per integral",
         f"{one['integrals']}, {f(one, 'evals_per_integral'):.1f}", ""),
        ("ns per integrand evaluation (1 thread)",
         f"{ns:.2f}", f"<= {MAX_NS_PER_EVALUATION:g} {verdict(ns <= MAX_NS_PER_EVALUATION)}"),
        ("fit time shares: derivative passes / trial model passes / areas+widths / rest",
         "{} / {} / {} / {} %".format(
             *(round(100 * f(one, k)) for k in ("share_derivative_passes", "share_model_passes",
                                                 "share_areas_widths", "share_rest"))), ""),
    ]
    return rows


def sweep_rows(run, n):
    lm = run["lmfit"].get(n)
    lowest, _ = lowest_found(run, n)
    rows = []
    # Loosest controls first: the table then reads from the cheapest fits to the tightest.
    for (m, eps, rmin), v in sorted(run["sweep"].items(), key=lambda kv: (-kv[0][1], -kv[0][2])):
        if m != n:
            continue
        chi2 = float(v["chi2_converged"])
        vs_lmfit = f"{percent(chi2, float(lm['chi2_converged'])):+.4f} %" if lm else ""
        rows.append((f"{eps:g}", f"{rmin:g}", f"{float(v['fit_seconds']):.4g}",
                     f"{v['iterations']} ({v['stop']})", f"{chi2:.8g}",
                     f"{percent(chi2, lowest):+.4f} %", vs_lmfit))
    return rows


SWEEP_HEADER = ("EPS", "RMIN", "fit [s], all cores", "iterations (stop)", "converged chi2",
                "above lowest", "vs lmfit")


def markdown(run, sizes, tables):
    out = ["| | " + " | ".join(f"NP = {n}" for n in sizes) + " |",
           "|---|" + "---|" * len(sizes)]
    labels = [row[0] for row in tables[sizes[0]]]
    for i, label in enumerate(labels):
        cells = [" ".join(part for part in tables[n][i][1:] if part) for n in sizes]
        out.append(f"| {label} | " + " | ".join(cells) + " |")
    for n in sizes:
        out += ["", f"Engine controls swept at NP = {n}:", "",
                "| " + " | ".join(SWEEP_HEADER) + " |", "|" + "---|" * len(SWEEP_HEADER)]
        out += ["| " + " | ".join(row) + " |" for row in sweep_rows(run, n)]
    return "\n".join(out) + "\n"


def plain(run, sizes, tables):
    cell = lambda row: row[1] + ("   " + row[2] if row[2] else "")
    labels = [row[0] for row in tables[sizes[0]]]
    width = max(len(label) for label in labels)
    out = []
    for n in sizes:
        out.append(f"NP = {n}")
        out += [f"  {row[0]:{width}}  {cell(row)}" for row in tables[n]]
        rows = [SWEEP_HEADER] + sweep_rows(run, n)
        widths = [max(len(r[i]) for r in rows) for i in range(len(SWEEP_HEADER))]
        out.append("  engine controls swept:")
        out += ["    " + "  ".join(f"{c:<{w}}" for c, w in zip(r, widths)).rstrip()
                for r in rows]
        out.append("")
    return "\n".join(out)


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("log", help="output of varnix-bench and lmfit_fit.py")
    ap.add_argument("--data-dir", required=True, help="where synthetic_<NP>.txt are")
    ap.add_argument("--engine-library", required=True, help="libzorvant.so")
    ap.add_argument("--markdown", metavar="FILE", help="also write the table in Markdown")
    args = ap.parse_args()
    run = parse(args.log)
    sizes = sorted({n for n, _ in run["engine"]} & set(run["lmfit"]))
    if not sizes:
        sys.exit("bench_report.py: no matching engine and lmfit results in " + args.log)
    judge_run(run, Judge(args.data_dir, args.engine_library))
    tables = {n: rows_for(n, run) for n in sizes}
    print("\n".join(run["notes"]))
    print(f"chi2 judged with converged integrals: engine mode 0, Simpson EPS {JUDGE_EPS:g}, "
          f"JMAX {JUDGE_JMAX}, Integration Range {JUDGE_RANGE:g}\n")
    print(plain(run, sizes, tables))
    if args.markdown:
        with open(args.markdown, "w", encoding="utf-8") as f:
            f.write(markdown(run, sizes, tables))


if __name__ == "__main__":
    main()
