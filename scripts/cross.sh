#!/usr/bin/env bash
# Builds the library and every C++ suite for other platforms and runs the
# suites under emulation, through CTest's emulator (presets cross-<target>,
# toolchains in cmake/toolchains/): other Linux CPUs with Debian's cross
# compilers under qemu-user, Windows x86-64 with MinGW-w64 under wine64.
# Every Linux library is linked against Debian 11's C library (glibc 2.31,
# unpacked from its cross packages into build/baseline/) with pugixml and the
# C++ runtime inside, so the suites run on that old C library too. Installs
# what it needs from Debian first: idempotent and non-interactive.
#
#   bash scripts/cross.sh [TARGET...]  aarch64 arm riscv64 s390x windows-x86_64
#                                      (default: all five); x86_64 builds the
#                                      shipped x86-64 library (preset linux-x86_64)
#   bash scripts/cross.sh --jar        then the jar for every platform and its Maven
#                                      artifact (preset all-platforms), installed
#                                      into out/all-platforms, each library checked
#   bash scripts/cross.sh --jvm        the README's Java snippet and the JUnit suite
#                                      in an emulated aarch64 JVM (after its build)
#
# A build and its suites take about 5 minutes per target on two cores (the
# first time 2 more for the target's pugixml, GoogleTest and tinygltf); s390x
# is big-endian and proves the byte order, it is not shipped.
set -euo pipefail
cd "$(dirname "$0")/.."

jar=0 jvm=0 arches=()
for a in "$@"; do
    case "$a" in
        --jar) jar=1 ;;
        --jvm) jvm=1 ;;
        x86_64 | aarch64 | arm | riscv64 | s390x | windows-x86_64) arches+=("$a") ;;
        *) echo "cross: unknown argument '$a' (targets: x86_64 aarch64 arm riscv64 s390x windows-x86_64; --jar, --jvm)" >&2; exit 2 ;;
    esac
done
if [ ${#arches[@]} -eq 0 ]; then
    if [ "$jvm" -eq 1 ] && [ "$jar" -eq 0 ]; then arches=(aarch64); else arches=(aarch64 arm riscv64 s390x windows-x86_64); fi
fi
# The jar's platforms must each have been built and tested; the JVM needs aarch64.
needed=()
if [ "$jar" -eq 1 ]; then needed+=(aarch64 arm riscv64 windows-x86_64); fi
if [ "$jvm" -eq 1 ]; then needed+=(aarch64); fi
for need in "${needed[@]}"; do
    [[ " ${arches[*]} " == *" $need "* ]] || arches+=("$need")
done

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
apt_install() {
    echo "cross: installing $*"
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$@"
}
# Each check reads the whole output first: with pipefail, grep -q leaving
# early would fail the pipeline by the writer's SIGPIPE.
installed() { [ "$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null)" = "install ok installed" ]; }
candidate() { [[ "$(apt-cache policy "$1" 2>/dev/null)" =~ Candidate:\ [0-9] ]]; }

# Debian's name of each architecture and the GNU triplet of its compiler.
debian_arch() {
    case "$1" in x86_64) echo amd64 ;; aarch64) echo arm64 ;; arm) echo armhf ;; riscv64) echo riscv64 ;; s390x) echo s390x ;; esac
}
triplet() {
    case "$1" in x86_64) echo x86_64-linux-gnu ;; aarch64) echo aarch64-linux-gnu ;; arm) echo arm-linux-gnueabihf ;;
        riscv64) echo riscv64-linux-gnu ;; s390x) echo s390x-linux-gnu ;;
        windows-x86_64) echo x86_64-w64-mingw32 ;; esac
}
toolchain() {
    case "$1" in windows-*) echo "$PWD/cmake/toolchains/$1.cmake" ;; *) echo "$PWD/cmake/toolchains/linux-$1.cmake" ;; esac
}

bash scripts/setup.sh

# --- Packages -----------------------------------------------------------
missing=(qemu-user dpkg-dev nlohmann-json3-dev)
for a in "${arches[@]}"; do
    case "$a" in
        x86_64) ;;
        windows-x86_64) missing+=(g++-mingw-w64-x86-64-posix wine64) ;;
        *) missing+=("g++-$(triplet "$a")") ;;
    esac
done
if [ "$jvm" -eq 1 ]; then
    if [[ $'\n'"$(dpkg --print-foreign-architectures)"$'\n' != *$'\n'arm64$'\n'* ]]; then
        echo "cross: adding the architecture arm64 (for its JVM)"
        $sudo dpkg --add-architecture arm64
        $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    fi
    missing+=(openjdk-17-jdk-headless:arm64)
fi
need=()
for p in "${missing[@]}"; do installed "$p" || need+=("$p"); done
if [ ${#need[@]} -gt 0 ]; then
    if ! candidate "${need[0]}"; then
        $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    fi
    apt_install "${need[@]}"
fi

source scripts/baseline.sh

# --- Each target's libraries from Debian's sources ------------------------
# pugixml, GoogleTest, tinygltf (with stb) and glm's package, built with the
# target's toolchain against Debian 11's C library into
# build/baseline/<triplet>/deps, which the toolchain file searches first.
# GoogleTest's sources come with the host's libgtest-dev; the others through
# apt-get source, which needs the deb-src entries of the host's Debian sources.
target_deps() {
    local a="$1" t
    t=$(triplet "$a")
    local deps="$PWD/build/baseline/$t/deps"
    local stamp="$deps/.complete"
    [ -f "$stamp" ] && [ -d "$deps/include/protozero" ] && return 0
    local toolchain
    toolchain=$(toolchain "$a")
    # A DLL of tinygltf would have to lie beside every test program.
    local shared=ON
    if [ "$a" = windows-x86_64 ]; then shared=OFF; fi
    local src="$PWD/build/baseline/sources"
    rm -rf "$deps"
    mkdir -p "$deps/include" "$deps/share/cmake" "$src"
    if [ ! -f "$src/.complete" ]; then
        if [[ "$(apt-cache showsrc pugixml 2>/dev/null)" != *"Package: pugixml"* ]]; then
            local list=/etc/apt/sources.list.d/meshory-cross-src.sources
            if [ -f /etc/apt/sources.list.d/debian.sources ]; then
                sed -e 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources | $sudo tee "$list" > /dev/null
            else
                list=/etc/apt/sources.list.d/meshory-cross-src.list
                sed -n 's/^deb /deb-src /p' /etc/apt/sources.list | $sudo tee "$list" > /dev/null
            fi
            echo "cross: added Debian's source entries ($list)"
            $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
        fi
        if ! (cd "$src" && apt-get source -qq pugixml tinygltf libstb > apt-source.log 2>&1); then
            cat "$src/apt-source.log" >&2
            exit 1
        fi
        touch "$src/.complete"
    fi
    local build="$deps/build"
    local cmake_args=(-G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release
        -DCMAKE_INSTALL_PREFIX="$deps" -DCMAKE_INSTALL_LIBDIR=lib -DBUILD_SHARED_LIBS=OFF
        -DCMAKE_POSITION_INDEPENDENT_CODE=ON)
    # glm, nlohmann-json and protozero are headers only; their copies here
    # (and glm's package pointing at them) keep the host's /usr/include, which
    # holds the host's own C library, off the target's include path.
    cp -r /usr/include/glm /usr/include/nlohmann /usr/include/protozero "$deps/include/"
    cp -r /usr/share/cmake/glm /usr/share/cmake/nlohmann_json "$deps/share/cmake/"
    cmake -S "$(echo "$src"/pugixml-*/)" -B "$build/pugixml" "${cmake_args[@]}" > /dev/null
    cmake --build "$build/pugixml" --target install > /dev/null
    # The shipped x86-64 library is built without tests or tools.
    if [ "$a" = x86_64 ]; then
        rm -rf "$build"
        touch "$stamp"
        return 0
    fi
    cmake -S /usr/src/googletest -B "$build/googletest" "${cmake_args[@]}" > /dev/null
    cmake --build "$build/googletest" --target install > /dev/null
    # tinygltf decodes images with stb; only stb_image and stb_image_write are
    # needed. A shared tinygltf, as Debian builds it, keeps stb and its JSON
    # library out of its link interface.
    local stb
    stb=$(echo "$src"/libstb-*/)
    mkdir -p "$deps/include/stb" "$build/stb"
    cp "$stb"/stb_image.h "$stb"/stb_image_write.h "$deps/include/stb/"
    for h in stb_image stb_image_write; do
        local upper
        upper=$(echo "$h" | tr a-z A-Z)
        cat > "$build/stb/$h.c" <<EOT
#define ${upper}_IMPLEMENTATION
#include "$stb/$h.h"
EOT
    done
    cat > "$build/stb/CMakeLists.txt" <<'EOT'
cmake_minimum_required(VERSION 3.25)
project(stb C)
include(GNUInstallDirs)
add_library(stb STATIC stb_image.c stb_image_write.c)
install(TARGETS stb)
EOT
    cmake -S "$build/stb" -B "$build/stb/build" "${cmake_args[@]}" > /dev/null
    cmake --build "$build/stb/build" --target install > /dev/null
    cmake -S "$(echo "$src"/tinygltf-*/)" -B "$build/tinygltf" "${cmake_args[@]}" \
        -DTINYGLTF_BUILD_LOADER_EXAMPLE=OFF -DBUILD_TESTING=OFF -DBUILD_SHARED_LIBS=$shared \
        -Dstb_INCLUDE_DIRS="$deps/include/stb" -Dstb_LIBRARY="$deps/lib/libstb.a" > /dev/null
    cmake --build "$build/tinygltf" --target install > /dev/null
    if [ "$shared" = OFF ]; then
        # A static tinygltf links its JSON library too; its package does not say so.
        sed -i 's|^include(${CMAKE_CURRENT_LIST_DIR}/TinyGLTFTargets.cmake)|include(CMakeFindDependencyMacro)\nfind_dependency(nlohmann_json)\n&|' \
            "$deps/lib/cmake/TinyGLTF/TinyGLTFConfig.cmake"
    fi
    rm -rf "$build"
    touch "$stamp"
}

# --- Build and test each architecture -----------------------------------
# x86_64 is this machine's CPU: its library as shipped (preset linux-x86_64,
# against the old C library) is built here and tested by scripts/compat.sh.
jobs=$(nproc)
summary=()
for a in "${arches[@]}"; do
    start=$SECONDS
    if [ "$a" != windows-x86_64 ]; then baseline_libc "$a"; fi
    target_deps "$a"
    if [ "$a" = x86_64 ]; then
        cmake --preset linux-x86_64 > /dev/null
        cmake --build --preset linux-x86_64 -j "$jobs"
        summary+=("x86_64: built in $((SECONDS - start)) s")
        continue
    fi
    cmake --preset "cross-$a" > /dev/null
    cmake --build --preset "cross-$a" -j "$jobs"
    ctest --preset "cross-$a" -j "$jobs"
    summary+=("$a: built and passed in $((SECONDS - start)) s")
done

# --- One jar for every platform -------------------------------------------
# Every library in it must need the C library alone, no newer than Debian
# 11's (tests/install/check_natives.cmake reads each with readelf/objdump).
if [ "$jar" -eq 1 ]; then
    start=$SECONDS
    baseline_libc x86_64
    target_deps x86_64
    cmake --preset all-platforms > /dev/null
    cmake --build --preset all-platforms -j "$jobs"
    rm -rf out/all-platforms
    cmake --install build/all-platforms --prefix out/all-platforms > /dev/null
    jarfile=$(echo out/all-platforms/share/maven-repo/quorvan/meshory/*/meshory-*[0-9].jar)
    echo "cross: $jarfile carries:"
    cmake -DJAR="$PWD/$jarfile" -DJAR_TOOL=jar -DREADELF=readelf -DOBJDUMP=x86_64-w64-mingw32-objdump \
        -P tests/install/check_natives.cmake
    summary+=("jar for every platform: built and checked in $((SECONDS - start)) s")
fi

# --- The JVM on an emulated aarch64 ---------------------------------------
if [ "$jvm" -eq 1 ]; then
    start=$SECONDS
    java_home=/usr/lib/jvm/java-17-openjdk-arm64
    work="$PWD/build/cross-aarch64/jvm"
    rm -rf "$work"
    mkdir -p "$work/classes" "$work/cache"
    # The launcher CTest would use: the target's java under the emulator.
    printf '#!/bin/sh\nexec qemu-aarch64 -L / %s/bin/java "$@"\n' "$java_home" > "$work/java"
    chmod +x "$work/java"
    # The README's snippet against the aarch64 jar alone: the jar extracts its
    # linux-aarch64 library, as on an ARM machine.
    cmake -DDOC=README.md -DNAME=java -DOUT="$work/HelloMeshory.java" -P cmake/doc_snippet.cmake
    javac -d "$work/classes" -cp build/cross-aarch64/java/meshory.jar "$work/HelloMeshory.java"
    out=$(XDG_CACHE_HOME="$work/cache" "$work/java" -Xcheck:jni -cp "build/cross-aarch64/java/meshory.jar:$work/classes" HelloMeshory)
    echo "cross: the Java snippet on emulated aarch64 ($("$work/java" -XshowSettings:properties -version 2>&1 | sed -n 's/^ *os.arch = //p')): $out"
    [ "$out" = "[2.0, 0.0, 0.0]" ]
    # The JUnit suite: compiled by the host's javac (classes are the same on
    # every CPU), run as tests/java runs it, on the aarch64 library.
    classes=build/cross-aarch64/java/meshory-classes.jar
    junit=/usr/share/java
    javac -d "$work/test-classes" -cp "$classes:$junit/junit-jupiter-api.jar:$junit/junit-jupiter-params.jar:$junit/apiguardian-api.jar:$junit/opentest4j.jar:$junit/junit-platform-commons.jar" \
        $(find tests/java/src -name '*.java')
    # Two tests start a second JVM. Under qemu-user the kernel cannot execute
    # an aarch64 program without a binfmt_misc handler, a machine-wide setting
    # this script does not make, so they are left out here (the host runs them).
    skipped='FloatArrayFailureTest|NativeMemoryStressTest'
    echo "cross: JUnit on emulated aarch64, leaving out ${skipped//|/ and } (they start a child JVM)"
    MESHORY_JUNIT_ARGS="--exclude-classname .*($skipped)" \
        bash tests/java/run-junit.sh "$work/java" "$junit/junit-platform-console-standalone.jar" \
        "$work/test-classes:$classes" "$PWD/build/cross-aarch64/src/libmeshory.so"
    summary+=("aarch64 JVM: snippet and JUnit suite (less the two child-JVM tests) passed in $((SECONDS - start)) s")
fi

printf 'cross: %s\n' "${summary[@]}"
