#!/usr/bin/env bash
# Installs the Debian packages Vantor needs to build and test, only those that
# are missing, so a second run is quick and needs no network.
set -euo pipefail

packages=(
  cmake ninja-build g++ make pkg-config binutils
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libcairo2-dev libfreetype-dev fonts-dejavu-core clang libclang-rt-14-dev
)

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
