#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the samples need.
# Idempotent: does nothing when every package is already installed.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libzstd-dev zstd libfmt-dev libcli11-dev
  googletest libgtest-dev libbenchmark-dev nlohmann-json3-dev
  unicode-data libjpeg-turbo-progs python3
  clang-16 libclang-rt-16-dev
)

missing=()
for pkg in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$pkg")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update
apt-get install -y --no-install-recommends "${missing[@]}"
