#!/usr/bin/env bash
# The main job: sets up, builds the optimised library and the inspector, and
# inspects the San Francisco sample: prints what each layer produced and
# writes out/sanfrancisco.gltf (+ .bin), out/sanfrancisco.svg and the 3D page
# out/sanfrancisco.html (opens from disk in a browser; its path is printed).
# The page's viewer is bundled with npm the first time. Extra
# arguments go to meshory-inspect (e.g. another pack: see --help).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset release
cmake --build --preset release -j "$(nproc)" --target meshory-inspect
if [ "$#" -eq 0 ]; then
    set -- --out out examples/sanfrancisco.mpk
fi
./build/release/tools/meshory-inspect "$@"
