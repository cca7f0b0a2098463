#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite: the C++ and Java tests of the
# dev build, a fuzz smoke pass, the C++ and Java suites again under
# AddressSanitizer + UBSan + LeakSanitizer, and the concurrency tests under
# ThreadSanitizer. About 15 minutes on two cores; the whole C++ suite under
# ThreadSanitizer (scripts/tsan.sh) would add three more, almost all of it
# building test programs that start no threads.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
jobs=$(nproc)

cmake --preset dev
cmake --build --preset dev -j "$jobs"
ctest --preset dev -j "$jobs"

# A short fuzz smoke pass so that CI catches a regression; long runs use
# scripts/fuzz.sh with more seconds.
bash scripts/fuzz.sh 10

cmake --preset asan
cmake --build --preset asan -j "$jobs"
ctest --preset asan -j "$jobs"

cmake --preset tsan
cmake --build --preset tsan -j "$jobs" --target concurrency_tests
ctest --preset tsan -j "$jobs" -R '^Concurrency\.'
