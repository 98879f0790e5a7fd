#!/usr/bin/env bash
# Installs the Debian packages Vortaxel builds and tests with. Does nothing when they are all present.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    libcurl4-openssl-dev
    libgumbo-dev
    libgtest-dev libgmock-dev libbenchmark-dev libcpp-httplib-dev
    qt6-base-dev qt6-base-dev-tools libgl-dev
    xvfb xauth
    clang libclang-rt-14-dev zlib1g-dev
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
