#!/usr/bin/env bash
# Builds the tsan preset (ThreadSanitizer, C++ tests; a JVM cannot host it)
# and runs the C++ suite under it, the concurrency tests included. Any data
# race fails the test that ran into it.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
jobs=$(nproc)
cmake --preset tsan
cmake --build --preset tsan -j "$jobs"
ctest --preset tsan -j "$jobs"
