#!/usr/bin/env bash
# Installs what is missing, builds Varnix and runs it on the bundled example spectrum.
# Until the main window exists, "running" means the engine benchmark, which fits the example
# spectrum (examples/synthetic_c1s.dat) from clearly wrong start values.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build
./build/bin/varnix-bench --np 601 --repeat 1 --fit-repeat 1
