#!/usr/bin/env bash
# Installs, with apt-get on Debian 12 (or a recent Ubuntu), whatever Varnix needs to build,
# run and test that the machine lacks. Does nothing when everything is present.
#   --bench  also what the benchmark compares against (lmfit)
#   --fuzz   also clang and libFuzzer's runtime, for the fuzz targets in tests/fuzz
set -euo pipefail

packages=(g++ cmake ninja-build libgtest-dev qt6-base-dev qt6-svg-dev libqcustomplot-dev
          ghostscript xvfb xauth)
# Installed only where the distribution has them.
optional=()
for option in "$@"; do
    case "$option" in
        # The benchmark compares against lmfit, whose model convolves with scipy's FFT.
        --bench) packages+=(python3-lmfit python3-numpy python3-scipy) ;;
        # Debian 12 ships libFuzzer in libclang-rt-dev, which clang only recommends; older
        # Ubuntu releases have no such package and keep it in clang's own.
        --fuzz) packages+=(clang); optional+=(libclang-rt-dev) ;;
        *) echo "unknown option: $option" >&2; exit 2 ;;
    esac
done

installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

missing=()
for p in "${packages[@]}"; do
    installed "$p" || missing+=("$p")
done
missing_optional=()
for p in "${optional[@]}"; do
    installed "$p" || missing_optional+=("$p")
done
[[ ${#missing[@]} -eq 0 && ${#missing_optional[@]} -eq 0 ]] && exit 0

sudo=()
[[ $(id -u) -ne 0 ]] && sudo=(sudo)
"${sudo[@]}" apt-get update -q
for p in "${missing_optional[@]}"; do
    if apt-cache show "$p" >/dev/null 2>&1; then
        missing+=("$p")
    fi
done
[[ ${#missing[@]} -eq 0 ]] && exit 0
echo "Installing: ${missing[*]}"
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
