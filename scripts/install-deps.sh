#!/usr/bin/env bash
# Installs the Debian packages Vortaxel needs, only those missing; needs root or sudo for that.
#   install-deps.sh run    what building and running the programs needs
#   install-deps.sh test   that, plus what the tests, benchmarks, fuzzing, man pages and the package need (default)
set -euo pipefail

run_packages=(
    build-essential cmake ninja-build pkg-config
    libcurl4-openssl-dev libidn2-dev libssl-dev libcpp-httplib-dev libcli11-dev libsqlite3-dev zlib1g-dev
    libicu-dev libstemmer-dev libcld2-dev
    libre2-dev libpsl-dev publicsuffix nlohmann-json3-dev libxml2-dev
    libhunspell-dev hunspell-en-us hunspell-de-de hunspell-fr
    qt6-base-dev qt6-base-dev-tools libgl-dev
    ca-certificates
)
test_packages=(
    libgtest-dev libgmock-dev libbenchmark-dev openssl
    chromium python3
    clang libclang-rt-14-dev clang-format
    clang-tidy-14
    scdoc dpkg-dev lintian appstream desktop-file-utils
    libgumbo-dev python3.11-doc debian-reference-en cmake-doc
    python3-snowballstemmer postgresql-doc-15 debian-handbook
)

case "${1:-test}" in
run) packages=("${run_packages[@]}") ;;
test) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
*)
    echo "usage: install-deps.sh [run|test]" >&2
    exit 2
    ;;
esac

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
if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null; then
        echo "Installing packages needs root: run this script as root, or install sudo." >&2
        exit 1
    fi
    SUDO="sudo"
fi
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
