#!/usr/bin/env bash
# Installs, with apt-get on Debian 12 (or a recent Ubuntu), whatever Varnix needs to build,
# run and test that the machine lacks. Does nothing when everything is present.
set -euo pipefail

packages=(g++ cmake ninja-build libgtest-dev qt6-base-dev libqcustomplot-dev
          ghostscript xvfb xauth)
# The benchmark compares against lmfit, whose model convolves with scipy's FFT; install them
# too when asked for.
if [[ "${1:-}" == "--bench" ]]; then
    packages+=(python3-lmfit python3-numpy python3-scipy)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[[ $(id -u) -ne 0 ]] && sudo=(sudo)
"${sudo[@]}" apt-get update -q
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
