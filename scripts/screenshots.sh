#!/usr/bin/env bash
# Draws the README's pictures of the program from a fresh build: the example opened and
# calculated (docs/images/main-window.png) and fitted (docs/images/fit-results.png), and the
# region chooser for the Kratos file of five spectra, its C 1s region selected
# (docs/images/region-chooser.png). Needs xvfb-run; the start directory is a temporary copy of
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
xvfb-run -a build/bin/app_screenshot "$work" docs/images/main-window.png
xvfb-run -a build/bin/app_screenshot "$work" docs/images/fit-results.png fit
xvfb-run -a build/bin/app_screenshot_regions tests/data/real/LG4X_0-150W.vms \
    docs/images/region-chooser.png 4
