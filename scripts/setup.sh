#!/usr/bin/env bash
# Installs every Debian package that building, testing and the tools need.
# Idempotent and non-interactive: does nothing when all are present.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    libglm-dev libpugixml-dev libtinygltf-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    openjdk-17-jdk-headless junit5
    clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "setup: installing ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
$sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
