#!/usr/bin/env bash
# Installs the Debian packages Vantor needs to build and test, only those that
# are missing, so a second run is quick and needs no network.
set -euo pipefail

packages=(
  cmake ninja-build g++ make pkg-config binutils
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libcairo2-dev libfreetype-dev fonts-dejavu-core clang libclang-rt-14-dev
  lv2-dev liblilv-dev libsndfile1-dev lilv-utils sordi lv2file lv2proc
  libebur128-dev libtag1-dev help2man
  libx11-dev libxext-dev xvfb xauth xdotool
  libjack-jackd2-dev jackd2 jalv libsamplerate0-dev
  x11-apps python3 parallel flac vorbis-tools clang-format clang-tidy
  ardour
)

# Peer LV2 plug-ins for the side-by-side speed figures of `make bench` only
# (scripts/install-deps.sh --bench); large, so `make test` does not need them.
bench_packages=(
  lsp-plugins-lv2 x42-plugins calf-plugins zam-plugins
)
if [[ "${1:-}" == "--bench" ]]; then
  packages+=("${bench_packages[@]}")
fi

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$package")
done

if [[ ${#missing[@]} -eq 0 ]]; then
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
sudo=""
if [[ $(id -u) -ne 0 ]]; then
  command -v sudo >/dev/null || { echo "install-deps: need root or sudo to install ${missing[*]}" >&2; exit 1; }
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
