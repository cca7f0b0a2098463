#!/usr/bin/env bash
# Installs every Debian package that building, testing and the tools need.
# Idempotent and non-interactive: does nothing when all are present.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    libglm-dev libpugixml-dev libtinygltf-dev libprotozero-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    openjdk-17-jdk-headless junit5
    clang libclang-rt-14-dev
    # The C++ layout check (scripts/style.sh): clang-format 14, as .clang-format.
    clang-format-14
    # The OpenGL shader class and its headless test (Mesa through EGL).
    libgl-dev libopengl-dev libegl-dev libegl-mesa0 libgl1-mesa-dri
)
# meshory-viewer and its headless test: LWJGL 2 (its JNI part too), Xvfb
# with xrandr (LWJGL 2 asks it for the screen modes) over Mesa's software
# OpenGL (above), and fonts for the labels: the Noto families cover the
# world's scripts (fonts-noto-cjk for Chinese, Japanese and Korean).
packages+=(
    liblwjgl-java liblwjgl-java-jni xvfb x11-xserver-utils fonts-dejavu-core
    fonts-noto-core fonts-noto-cjk
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

# The inspector's 3D page is bundled with npm at build time; a Node.js that
# is already installed (with its own npm) is kept.
if ! command -v npm >/dev/null 2>&1; then missing+=(nodejs npm); fi

# Chromium only runs the browser test of the 3D page: where it cannot be
# installed, that test is skipped and everything else still works.
browser=()
if ! command -v chromium >/dev/null 2>&1 && ! command -v chromium-browser >/dev/null 2>&1; then
    browser=(chromium)
fi

if [ ${#missing[@]} -eq 0 ] && [ ${#browser[@]} -eq 0 ]; then
    exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
$sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
if [ ${#browser[@]} -gt 0 ]; then
    echo "setup: installing ${browser[*]} (for the 3D page's browser test)"
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${browser[@]}" ||
        echo "setup: Chromium could not be installed; the browser test will be skipped"
fi
