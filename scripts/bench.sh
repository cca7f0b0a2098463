#!/usr/bin/env bash
# Builds the release preset, runs every benchmark program and the host
# comparison (JVM harness against the native build, interleaved rounds), and
# prints the goal table. Results stay in build/release/bench-results/.
#   bash scripts/bench.sh           full run (a few minutes)
#   bash scripts/bench.sh --quick   short smoke run, same table, noisier figures
set -euo pipefail
cd "$(dirname "$0")/.."

# Every benchmark warms up before it is measured: a one-time cost (the first
# pages a list touches, a cold cache) must not count as the price of each
# run, which a short quick run would otherwise report as a missed goal.
repetitions=7 min_time=0.1 rounds=5 runs=41 warmup=0.1 quick=""
if [ "${1:-}" = "--quick" ]; then repetitions=3 min_time=0.01 rounds=1 runs=9 warmup=0.05 quick=--quick; fi

bash scripts/setup.sh
if ! command -v python3 >/dev/null; then
    sudo=""; [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends python3
fi
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)"

build=build/release
out=$build/bench-results
rm -rf "$out" && mkdir -p "$out"

# Medians of repetitions run in random interleaved order, so that a change in
# the machine's load hits every benchmark of a program alike.
for program in bench_decoders bench_conversions bench_builders bench_models bench_steady_state bench_queries; do
    echo "bench: $program"
    "$build/bench/$program" --benchmark_repetitions="$repetitions" --benchmark_min_time="$min_time" \
        --benchmark_min_warmup_time="$warmup" \
        --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true \
        --benchmark_out="$out/$program.json" --benchmark_out_format=json >"$out/$program.txt"
done

# The JVM round trip and hand-off against the native build of the same
# bytes, in alternating rounds. A fixed, pre-touched heap: a long-running
# host has touched its heap long before, as the native side's memory is.
echo "bench: host comparison"
"$build/bench/meshory_host_reference" write "$out" examples/sanfrancisco.mpk
java="${JAVA_HOME:+$JAVA_HOME/bin/}java"
for ((r = 0; r < rounds; ++r)); do
    "$build/bench/meshory_host_reference" run "$out" "$runs" >>"$out/host.txt"
    "$java" -Xms2g -Xmx2g -XX:+AlwaysPreTouch -Dmeshory.library="$build/src/libmeshory.so" \
        -cp "$build/java/meshory.jar:$build/bench/meshory-bench.jar" MeshoryBench "$out" "$runs" >>"$out/host.txt"
done

# Vector tiles built from the JVM in one call each, against bench_vectortile's
# VectorTileBuild of the same tiles.
"$java" -Xms2g -Xmx2g -Dmeshory.library="$build/src/libmeshory.so" \
    -cp "$build/java/meshory.jar:$build/bench/meshory-bench.jar" VectorTileBench examples/tiles "$runs" \
    >"$out/vectortile-jvm.txt"

# The JVM viewer from opening the pack to its first full frame (Mesa's
# software OpenGL under Xvfb), against meshory-inspect's build of the same
# pack, in alternating rounds. Left out where the viewer or Xvfb is missing.
viewer=$build/tools/viewer/meshory-viewer
if [ -x "$viewer" ] && command -v Xvfb >/dev/null 2>&1; then
    echo "bench: viewer"
    for ((r = 0; r < rounds; ++r)); do
        "$build/tools/meshory-inspect" --quiet examples/sanfrancisco.mpk |
            awk '$1 == "total" {print "inspect_build_ms", $NF}' >>"$out/viewer.txt"
        bash scripts/headless.sh 1280x800 "$viewer" --png "$out/viewer.png" examples/sanfrancisco.mpk |
            sed -n 's/^first full frame \([0-9.]*\) ms.*/viewer_first_frame_ms \1/p' >>"$out/viewer.txt"
    done
fi

# Zero-area triangles of the real sample tiles, handed over with and without
# the option that leaves them out.
"$build/bench/meshory_zero_area" examples/*.mpk >"$out/zero_area.txt"

python3 bench/goals.py "$out" $quick | tee "$out/goals.md"
