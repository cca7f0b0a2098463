#!/usr/bin/env bash
# Sets up, builds the optimised library and runs the main job.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset release
cmake --build --preset release -j "$(nproc)" --target meshory-demo
./build/release/tools/meshory-demo "$@"
