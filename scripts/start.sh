#!/usr/bin/env bash
# Installs what is missing, builds Varnix and starts it in a working folder, work/ in the
# repository root, seeded from examples/: the synthetic spectrum and its configuration, the real
# Au 4f spectrum, the fit controls, the settings, and last_data.dat and last_config.dat naming
# the synthetic spectrum and its configuration, so that File > Open > All Files opens both at
# once. Files already in work/ are kept.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build

mkdir -p work
for f in synthetic_c1s.dat synthetic_c1s.cfg lmfitxps_clean_Au_4f.csv FitFile.dat fini.dat; do
    [[ -e "work/$f" ]] || cp "examples/$f" "work/$f"
done
[[ -e work/last_data.dat ]] || printf '"%s"\n' "$root/work/synthetic_c1s.dat" > work/last_data.dat
[[ -e work/last_config.dat ]] || printf '"%s"\n' "$root/work/synthetic_c1s.cfg" > work/last_config.dat

cd work
exec "$root/build/bin/varnix" "$@"
