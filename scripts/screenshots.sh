#!/usr/bin/env bash
# Draws the pictures of the program from a fresh build: for the README the example opened and
# calculated (docs/images/main-window.png) and fitted (docs/images/fit-results.png); for the
# manual (docs/help/images) the plot window after opening and after calculating, the results
# window and the corner of the correlation matrix after the fit. Needs xvfb-run; the start
# directory is a temporary copy of the examples.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target app_screenshot varnix
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp examples/fini.dat examples/FitFile.dat examples/synthetic_c1s.dat examples/synthetic_c1s.cfg "$work"
printf '"%s"\n' "$work/synthetic_c1s.dat" > "$work/last_data.dat"
printf '"%s"\n' "$work/synthetic_c1s.cfg" > "$work/last_config.dat"
xvfb-run -a build/bin/app_screenshot "$work" docs/images/main-window.png
xvfb-run -a build/bin/app_screenshot "$work" docs/images/fit-results.png fit
manual=docs/help/images
xvfb-run -a build/bin/app_screenshot "$work" $manual/plot-spectrum.png open frmGraph
xvfb-run -a build/bin/app_screenshot "$work" $manual/plot-calculated.png calculate frmGraph
xvfb-run -a build/bin/app_screenshot "$work" $manual/results-window.png fit frmResults
xvfb-run -a build/bin/app_screenshot "$work" $manual/correlation-matrix.png correlation \
    frmCorrelation 760x430
