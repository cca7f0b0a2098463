#!/usr/bin/env bash
# The main job: sets up, builds the optimised library, the inspector and the
# JVM viewer, and inspects the San Francisco sample: prints what each layer
# produced and writes out/sanfrancisco.gltf (+ .bin), out/sanfrancisco.svg
# and the 3D page out/sanfrancisco.html (opens from disk in a browser; its
# path is printed). The page's script is bundled with npm the first time.
# Then meshory-viewer draws the sample with OpenGL through the JVM, headless
# (Xvfb, Mesa's software driver), into out/sanfrancisco-jvm.png. Extra
# arguments go to meshory-inspect instead (e.g. another pack: see --help).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset release
cmake --build --preset release -j "$(nproc)" --target meshory-inspect meshory_viewer_jar
if [ "$#" -gt 0 ]; then
    exec ./build/release/tools/meshory-inspect "$@"
fi
./build/release/tools/meshory-inspect --out out examples/sanfrancisco.mpk
bash scripts/headless.sh 1280x800 ./build/release/tools/viewer/meshory-viewer --png out/sanfrancisco-jvm.png \
    --yaw 200 --pitch 50 examples/sanfrancisco.mpk
echo "JVM render (meshory-viewer, OpenGL 3.3 on Mesa): $(pwd)/out/sanfrancisco-jvm.png"
