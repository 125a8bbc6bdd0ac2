#!/usr/bin/env bash
# Draws the pictures of the README and docs/ from a fresh build: the example opened and
# calculated (docs/images/main-window.png), fitted (fit-results.png), a new configuration in the
# setup window (new-configuration.png), a doublet tied in the setup window beside the plot
# (setup-window.png), the all-parameters window of that model (show-all.png), its fit
# (doublet-fit.png), the two fit-parameter dialogs over the plot (fit-dialogs.png) and the region
# chooser for the Kratos file of five spectra with its C 1s region selected
# (region-chooser.png); for the manual (docs/help/images) the plot and the setup window after
# opening, the plot window after calculating, the results window and the corner of the
# correlation matrix after the fit. Needs xvfb-run; the start directory is a temporary copy of
# the examples.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target app_screenshot app_screenshot_regions varnix
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp examples/fini.dat examples/FitFile.dat examples/synthetic_c1s.dat examples/synthetic_c1s.cfg "$work"
printf '"%s"\n' "$work/synthetic_c1s.dat" > "$work/last_data.dat"
printf '"%s"\n' "$work/synthetic_c1s.cfg" > "$work/last_config.dat"
shot() { xvfb-run -a build/bin/app_screenshot "$work" "docs/images/$1.png" ${2:+"$2"}; }
shot main-window
shot fit-results fit
shot new-configuration new
shot setup-window setup
shot show-all showall
shot doublet-fit doubletfit
shot fit-dialogs dialogs
manual() { xvfb-run -a build/bin/app_screenshot "$work" "docs/help/images/$1.png" "${@:2}"; }
manual plot-spectrum open frmGraph
manual setup-example open frmDSSetup
manual plot-calculated calculate frmGraph
manual results-window fit frmResults
manual correlation-matrix correlation frmCorrelation 760x430
xvfb-run -a build/bin/app_screenshot_regions tests/data/real/LG4X_0-150W.vms \
    docs/images/region-chooser.png 4
