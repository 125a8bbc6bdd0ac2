#!/usr/bin/env python3
"""Side-by-side table of a benchmark run: the engine (varnix-bench) against lmfit
(lmfit_fit.py) on the same spectra, with the targets the engine is held to.

Reads the `RESULT ...` and `LMFIT ...` lines of a run log; prints a plain table, or a
Markdown one with --markdown (the form docs/performance.md keeps). Exits 0 whatever the
targets say: timing is reported, never asserted.
"""

import argparse
import sys

# Targets of the engine on the benchmark machine.
MIN_SPEEDUP_VS_LMFIT = 3.0       # whole default fit, all cores, against lmfit's whole fit
MAX_CHI2_EXCESS = 0.001          # engine chi-square at most 0.1 % above lmfit's
MIN_THREAD_SPEEDUP = 1.8         # all cores against one thread, whole fit
MAX_NS_PER_EVALUATION = 10.0     # one-thread fit time per integrand evaluation


def parse(path):
    engine, lmfit = {}, {}
    with open(path, encoding="utf-8", errors="replace") as f:
        for line in f:
            fields = line.split()
            if not fields or fields[0] not in ("RESULT", "LMFIT"):
                continue
            values = dict(item.split("=", 1) for item in fields[1:] if "=" in item)
            if fields[0] == "RESULT":
                engine[(int(values["np"]), int(values["threads"]))] = values
            else:
                lmfit[int(values["np"])] = values
    return engine, lmfit


def verdict(ok):
    return "met" if ok else "MISSED"


def rows_for(np_, engine, lmfit):
    one = engine.get((np_, 1))
    alls = [v for (n, t), v in engine.items() if n == np_ and t > 1]
    lm = lmfit.get(np_)
    if one is None or lm is None:
        return None
    all_ = alls[0] if alls else one
    f = lambda d, k: float(d[k])
    speed = f(lm, "fit_seconds") / f(all_, "fit_seconds")
    excess = f(all_, "chi2") / f(lm, "chi2") - 1.0
    threads = f(one, "fit_seconds") / f(all_, "fit_seconds")
    ns = f(one, "ns_per_eval")
    return [
        ("mode 0 call, 1 thread / all cores [s]",
         f"{f(one, 'mode0_seconds'):.4g} / {f(all_, 'mode0_seconds'):.4g}", ""),
        ("mode 1 iteration, 1 thread / all cores [s]",
         f"{f(one, 'mode1_seconds'):.4g} / {f(all_, 'mode1_seconds'):.4g}", ""),
        ("whole fit, 1 thread / all cores [s]",
         f"{f(one, 'fit_seconds'):.4g} / {f(all_, 'fit_seconds'):.4g}", ""),
        ("engine iterations (stop rule), model passes",
         f"{one['iterations']} ({one['stop']}), {one['model_passes']}", ""),
        ("lmfit whole fit [s], function evaluations",
         f"{f(lm, 'fit_seconds'):.4g}, {lm['nfev']}", ""),
        ("speed-up of the engine (all cores) over lmfit",
         f"{speed:.1f}x", f">= {MIN_SPEEDUP_VS_LMFIT:g}x {verdict(speed >= MIN_SPEEDUP_VS_LMFIT)}"),
        ("chi2 engine / lmfit (each its own model)",
         f"{f(all_, 'chi2'):.7g} / {f(lm, 'chi2'):.7g}", ""),
        ("chi2 engine above lmfit",
         f"{100.0 * excess:+.3f} %",
         f"<= +{100 * MAX_CHI2_EXCESS:g} % {verdict(excess <= MAX_CHI2_EXCESS)}"),
        ("chi2 on the fine reference grid, engine / lmfit",
         f"{f(lm, 'engine_chi2_reference'):.7g} / {f(lm, 'chi2_reference'):.7g}", ""),
        ("all cores over one thread (whole fit)",
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
        ("lmfit model vs engine at the true parameters (max relative)",
         f"{f(lm, 'model_rel_diff_reference'):.2g}", ""),
    ]


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("log", help="output of varnix-bench and lmfit_fit.py")
    ap.add_argument("--markdown", action="store_true")
    args = ap.parse_args()
    engine, lmfit = parse(args.log)
    sizes = sorted({n for n, _ in engine} & set(lmfit))
    if not sizes:
        sys.exit("bench_report.py: no matching engine and lmfit results in " + args.log)
    tables = {n: rows_for(n, engine, lmfit) for n in sizes}
    labels = [row[0] for row in tables[sizes[0]]]
    if args.markdown:
        print("| | " + " | ".join(f"NP = {n}" for n in sizes) + " |")
        print("|---|" + "---|" * len(sizes))
        for i, label in enumerate(labels):
            cells = [" ".join(part for part in tables[n][i][1:] if part) for n in sizes]
            print(f"| {label} | " + " | ".join(cells) + " |")
        return
    cell = lambda row: row[1] + ("   " + row[2] if row[2] else "")
    width = max(len(label) for label in labels)
    column = {n: max(len(cell(row)) for row in tables[n]) for n in sizes}
    print(f"{'':{width}}  " + "  ".join(f"{'NP = ' + str(n):<{column[n]}}" for n in sizes))
    for i, label in enumerate(labels):
        print(f"{label:{width}}  "
              + "  ".join(f"{cell(tables[n][i]):<{column[n]}}" for n in sizes).rstrip())

if __name__ == "__main__":
    main()
