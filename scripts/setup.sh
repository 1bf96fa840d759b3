#!/usr/bin/env bash
# Installs the Debian packages the build needs, when they are missing.
# Sourced by test.sh and demo.sh; safe to run on its own.
set -euo pipefail

vpr_packages=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev
              libsqlite3-dev)
# Only scripts/fuzz.sh needs these: clang and its runtime, which holds
# libFuzzer (Debian 12's clang only recommends it, and we install no
# recommendations).
vpr_fuzz_packages=(clang libclang-rt-14-dev)

# Installs the packages named (by default the build's) that are missing.
vpr_install_packages() {
    local wanted=("$@")
    if [ ${#wanted[@]} -eq 0 ]; then wanted=("${vpr_packages[@]}"); fi
    local missing=()
    for pkg in "${wanted[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$pkg")
        fi
    done
    if [ ${#missing[@]} -eq 0 ]; then
        return 0
    fi
    echo "Installing: ${missing[*]}"
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    vpr_install_packages
fi
